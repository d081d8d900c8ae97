#include "Updater/UpdateTransport.h"

#include "Base/MainQueue.h"
#include "Platform/BundledLibrary.h"

namespace vesk {

namespace {

// A transfer that fails on the next turn, unless it is dropped first.
class FailedTransfer final : public UpdateTransport::Transfer {
public:
    explicit FailedTransfer(UpdateTransport::Events events)
        : end_(mainQueue().after(0, [onEnd = std::move(events.onEnd)] {
              if (onEnd)
                  onEnd(true);
          }))
    {
    }

private:
    WorkItem end_;
};

// Forwards to Qt's transport, from the network module that it opens on the first request.
class BundledUpdateTransport final : public UpdateTransport {
public:
    std::unique_ptr<Transfer> get(const Request &request, Events events) override
    {
        if (!opened_) {
            opened_ = true;
            transport_ = makeFromNetworkModule<UpdateTransport>("vesk_make_update_transport");
        }
        if (transport_)
            return transport_->get(request, std::move(events));
        return std::make_unique<FailedTransfer>(std::move(events));
    }

private:
    bool opened_ = false;
    std::unique_ptr<UpdateTransport> transport_;
};

}  // namespace

std::unique_ptr<UpdateTransport> makeBundledUpdateTransport() { return std::make_unique<BundledUpdateTransport>(); }

}  // namespace vesk
