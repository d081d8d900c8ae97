// Artwork downloads and explicit look-ups through Qt's network access, against a server on the
// loopback interface: a body that trickles in is cut off at the request's time, one past the cap
// is refused.
#include "Platform/WebFetcher.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

using vesk::WebFetcher;
using vesk::test::waitFor;

namespace {

// Answers every request with a header promising `length` bytes, then sends `chunk` bytes every
// `everyMs` milliseconds.
class TrickleServer {
public:
    TrickleServer(qint64 length, int chunk, int everyMs)
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [=, this] {
            QTcpSocket *socket = server_.nextPendingConnection();
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " + QByteArray::number(length)
                          + "\r\n\r\n");
            auto *timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket, chunk] { socket->write(QByteArray(chunk, 'x')); });
            timer->start(everyMs);
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/art.png").arg(server_.serverPort()); }

private:
    QTcpServer server_;
};

struct Outcome {
    bool answered = false;
    std::optional<QByteArray> body;
};

}  // namespace

TEST(WebFetchIntegrationTest, ABodyThatTricklesInIsCutOffAtTheRequestsTime)
{
    TrickleServer server(1'000'000, 10, 100);  // never done: 100 bytes a second
    WebFetcher::Request request;
    request.url = server.url();
    request.timeout = 1.0;
    Outcome outcome;
    QElapsedTimer took;
    took.start();
    WebFetcher::shared().get(request, [&](std::optional<QByteArray> body) {
        outcome.answered = true;
        outcome.body = std::move(body);
    });
    ASSERT_TRUE(waitFor([&] { return outcome.answered; }, 5000));
    EXPECT_FALSE(outcome.body);
    EXPECT_LT(took.elapsed(), 3000);
}

TEST(WebFetchIntegrationTest, ABodyPastTheCapIsRefused)
{
    TrickleServer server(64 * 1024, 16 * 1024, 1);
    WebFetcher::Request request;
    request.url = server.url();
    request.maxBytes = 32 * 1024;
    Outcome outcome;
    WebFetcher::shared().get(request, [&](std::optional<QByteArray> body) {
        outcome.answered = true;
        outcome.body = std::move(body);
    });
    ASSERT_TRUE(waitFor([&] { return outcome.answered; }, 5000));
    EXPECT_FALSE(outcome.body);
}
