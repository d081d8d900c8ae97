#pragma once

#include "Updater/UpdateTransport.h"

#include <map>
#include <vector>

namespace vesk {

// A server that tests and tools describe, answering on the main queue of the installed clock.
// Every answer is a chain of posts, so one turn of a virtual clock (`advance 0`) carries it to its
// end, unless it trickles. An address that is not served is a transport error.
class SimUpdateTransport final : public UpdateTransport {
public:
    struct Reply {
        enum class Kind { body, noLength, error, stall };
        Kind kind = Kind::body;
        QByteArray bytes;
        qint64 chunk = 64 * 1024;  // the size of each piece
        // A length announced other than the body's own (a cut-off transfer); -1: the body's.
        qint64 announced = -1;
        // Seconds between pieces (a server that trickles); 0: one after the other.
        double every = 0;
    };

    std::unique_ptr<Transfer> get(const Request &request, Events events) override;

    void serve(const QUrl &url, Reply reply) { replies_[url] = std::move(reply); }
    const std::vector<Request> &requests() const { return requests_; }
    // Transfers made and not yet dropped.
    int openTransfers() const { return *open_; }

private:
    std::map<QUrl, Reply> replies_;
    std::vector<Request> requests_;
    std::shared_ptr<int> open_ = std::make_shared<int>(0);
};

}  // namespace vesk
