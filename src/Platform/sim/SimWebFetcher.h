#pragma once

#include "Platform/WebFetcher.h"

#include <map>

namespace vesk {

// Simulated web: pages served by address, each after its own delay; an address never served fails.
// Requests are logged when issued.
class SimWebFetcher final : public WebFetcher {
public:
    void get(const Request &request, Answer answer) override;

    // Serves `body` (none: a failure) at `url`, answering `delay` seconds after a request.
    void serve(const QString &url, std::optional<QByteArray> body, double delay = 0)
    {
        pages_[url] = Page{std::move(body), delay};
    }
    const std::vector<Request> &requests() const { return requests_; }
    // Called with every request as it is issued.
    std::function<void(const Request &)> onRequest;

private:
    struct Page {
        std::optional<QByteArray> body;
        double delay;
    };
    std::map<QString, Page> pages_;
    std::vector<Request> requests_;
};

}  // namespace vesk
