#pragma once

#include <QByteArray>
#include <QUrl>

#include <functional>
#include <memory>

namespace vesk {

// One HTTP GET at a time for the updater, its body arriving in pieces. Events come on the main
// thread, each on a later turn of the main loop; dropping the transfer aborts it and nothing more
// arrives. An HTTP error status is not a transport error: its body is delivered like any other,
// and the reader decides what it is worth.
class UpdateTransport {
public:
    struct Request {
        QUrl url;
        QByteArray userAgent;
        double timeout = 20;  // seconds without a byte before the transfer fails
    };
    struct Events {
        // A piece of the body; `expected` is the announced length, -1 when the server gave none.
        std::function<void(const QByteArray &chunk, qint64 expected)> onData;
        // The end: the whole body arrived (`failed` false), or the connection failed, timed out or
        // was cut off before the announced length (`failed` true).
        std::function<void(bool failed)> onEnd;
    };
    class Transfer {
    public:
        virtual ~Transfer() = default;
    };

    virtual ~UpdateTransport() = default;
    virtual std::unique_ptr<Transfer> get(const Request &request, Events events) = 0;
};

// Qt's network access: no cached answers, the request's timeout as Qt's transfer timeout. It lives
// in the network module (see networkModuleFunction()), outside the program.
std::unique_ptr<UpdateTransport> makeQtUpdateTransport();
// The transport the updater uses: Qt's, from the network module, opened on the first request;
// without the module every transfer fails.
std::unique_ptr<UpdateTransport> makeBundledUpdateTransport();

}  // namespace vesk
