#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace vesk {

// Plain HTTP(S) GET requests. The answer arrives on the main thread on a later turn: the body, or
// none when the request failed, timed out or its body grew past `maxBytes`. Main thread only.
class WebFetcher {
public:
    struct Request {
        QString url;
        std::vector<std::pair<QByteArray, QByteArray>> headers;
        double timeout = 5.0;  // seconds
        qint64 maxBytes = 4 * 1024 * 1024;
    };
    using Answer = std::function<void(std::optional<QByteArray> body)>;

    virtual ~WebFetcher() = default;
    virtual void get(const Request &request, Answer answer) = 0;

    // The installed service: Qt's network access, from the network module (opened on the first
    // request; without it every request fails), unless a test or tool installed another.
    static WebFetcher &shared();
    static void setShared(WebFetcher *fetcher);  // nullptr restores the real one
};

}  // namespace vesk
