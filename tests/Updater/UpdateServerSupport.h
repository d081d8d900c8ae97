#pragma once

// A small HTTP server on the loopback interface for the updater's integration and end-to-end tests.

#include <QTcpServer>
#include <QTcpSocket>

#include <map>
#include <memory>

namespace vesk::test {

// Serves fixed answers by path: the body with or without a length, or a length promised and the
// connection closed after `cutAfter` bytes, or a body without end that goes on until the client
// closes the connection.
class UpdateServer {
public:
    struct Answer {
        QByteArray body;
        bool withLength = true;
        qint64 cutAfter = -1;
        bool endless = false;
    };
    // What an endless answer sent, and whether the client has closed its connection.
    struct Stream {
        qint64 sent = 0;
        bool closed = false;
    };

    UpdateServer()
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket *socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path); }
    void serve(const QString &path, Answer answer) { answers_[path] = std::move(answer); }
    // The last endless answer on `path`, if any.
    std::shared_ptr<const Stream> stream(const QString &path) const
    {
        const auto it = streams_.find(path);
        return it == streams_.end() ? nullptr : it->second;
    }

private:
    void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->peek(8192);
        if (!request.contains("\r\n\r\n"))
            return;
        socket->readAll();
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        const auto it = answers_.find(path);
        if (it == answers_.end()) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            return;
        }
        const Answer &a = it->second;
        if (a.endless) {
            auto stream = std::make_shared<Stream>();
            streams_[path] = stream;
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [stream] { stream->closed = true; });
            // Keeps a megabyte queued: as fast as the client reads, and no faster.
            auto pump = [socket, stream] {
                while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < (1 << 20)) {
                    socket->write(QByteArray(64 * 1024, 'x'));
                    stream->sent += 64 * 1024;
                }
            };
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, pump);
            socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
            pump();
            return;
        }
        QByteArray head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
        if (a.withLength)
            head += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
        socket->write(head + "\r\n");
        socket->write(a.cutAfter >= 0 ? a.body.left(a.cutAfter) : a.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    std::map<QString, Answer> answers_;
    std::map<QString, std::shared_ptr<Stream>> streams_;
};

}  // namespace vesk::test
