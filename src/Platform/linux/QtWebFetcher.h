#pragma once

#include "Platform/WebFetcher.h"

#include <memory>

class QNetworkAccessManager;

namespace vesk {

// GET requests through QtNetwork, redirects followed, with a transfer timeout and a body cap.
class QtWebFetcher final : public WebFetcher {
public:
    QtWebFetcher();
    ~QtWebFetcher() override;
    void get(const Request &request, Answer answer) override;

private:
    std::unique_ptr<QNetworkAccessManager> network_;
};

}  // namespace vesk
