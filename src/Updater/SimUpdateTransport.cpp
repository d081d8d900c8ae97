#include "Updater/SimUpdateTransport.h"

#include "Base/Lifetime.h"
#include "Base/MainQueue.h"

namespace vesk {

namespace {

class SimTransfer final : public UpdateTransport::Transfer {
public:
    SimTransfer(SimUpdateTransport::Reply reply, UpdateTransport::Events events, std::shared_ptr<int> open)
        : reply_(std::move(reply)), events_(std::move(events)), open_(std::move(open))
    {
        ++*open_;
        using Kind = SimUpdateTransport::Reply::Kind;
        if (reply_.kind == Kind::stall)
            return;  // the updater's own timeout ends it
        if (reply_.kind == Kind::error) {
            lifetime_.post([this] { end(true); });
            return;
        }
        lifetime_.post([this] { next(); });
    }

    ~SimTransfer() override { --*open_; }

private:
    void next()
    {
        using Kind = SimUpdateTransport::Reply::Kind;
        const qint64 total = reply_.bytes.size();
        const qint64 announced = reply_.kind == Kind::noLength ? -1 : reply_.announced >= 0 ? reply_.announced : total;
        if (offset_ < total) {
            const qint64 n = std::min<qint64>(std::max<qint64>(reply_.chunk, 1), total - offset_);
            const QByteArray piece = reply_.bytes.mid(offset_, n);
            offset_ += n;
            if (reply_.every > 0)
                piece_ = mainQueue().after(reply_.every, [this] { next(); });
            else
                lifetime_.post([this] { next(); });
            if (events_.onData)
                events_.onData(piece, announced);
            return;
        }
        end(announced >= 0 && announced != total);
    }
    void end(bool failed)
    {
        auto onEnd = events_.onEnd;
        if (onEnd)
            onEnd(failed);
    }

    SimUpdateTransport::Reply reply_;
    UpdateTransport::Events events_;
    qint64 offset_ = 0;
    std::shared_ptr<int> open_;
    WorkItem piece_;
    Lifetime lifetime_;  // nothing arrives once the transfer is dropped
};

}  // namespace

std::unique_ptr<UpdateTransport::Transfer> SimUpdateTransport::get(const Request &request, Events events)
{
    requests_.push_back(request);
    const auto it = replies_.find(request.url);
    Reply reply = it != replies_.end() ? it->second : Reply{Reply::Kind::error, {}};
    return std::make_unique<SimTransfer>(std::move(reply), std::move(events), open_);
}

}  // namespace vesk
