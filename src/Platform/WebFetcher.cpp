#include "Platform/WebFetcher.h"

#include "Base/MainQueue.h"
#include "Platform/BundledLibrary.h"
#include "Platform/InstalledService.h"

#include <memory>

namespace vesk {

namespace {

// Forwards to the fetcher the network module makes, which it opens on the first request.
class BundledWebFetcher final : public WebFetcher {
public:
    void get(const Request &request, Answer answer) override
    {
        if (!opened_) {
            opened_ = true;
            fetcher_ = makeFromNetworkModule<WebFetcher>("vesk_make_web_fetcher");
        }
        if (fetcher_) {
            fetcher_->get(request, std::move(answer));
            return;
        }
        if (answer)
            mainQueue().post([answer = std::move(answer)] { answer(std::nullopt); });
    }

private:
    bool opened_ = false;
    std::unique_ptr<WebFetcher> fetcher_;
};

InstalledService<WebFetcher, BundledWebFetcher> installed;

}  // namespace

WebFetcher &WebFetcher::shared() { return installed.get(); }

void WebFetcher::setShared(WebFetcher *fetcher) { installed.install(fetcher); }

}  // namespace vesk
