#pragma once

#include "Platform/WebFetcher.h"

#include <QNetworkAccessManager>
#include <QPointer>

namespace vesk {

// GET requests through QtNetwork, redirects followed, with a transfer timeout and a body cap.
class QtWebFetcher final : public WebFetcher {
public:
    QtWebFetcher();
    ~QtWebFetcher() override;
    void get(const Request &request, Answer answer) override;

private:
    QPointer<QNetworkAccessManager> network_;  // gone once the application has ended
};

}  // namespace vesk
