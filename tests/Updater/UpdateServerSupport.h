#pragma once

// A small HTTP server on the loopback interface for the updater's integration and end-to-end tests.

#include <QTcpServer>
#include <QTcpSocket>

#include <map>

namespace vesk::test {

// Serves fixed answers by path: the body with or without a length, or a length promised and the
// connection closed after `cutAfter` bytes.
class UpdateServer {
public:
    struct Answer {
        QByteArray body;
        bool withLength = true;
        qint64 cutAfter = -1;
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
        QByteArray head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
        if (a.withLength)
            head += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
        socket->write(head + "\r\n");
        socket->write(a.cutAfter >= 0 ? a.body.left(a.cutAfter) : a.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    std::map<QString, Answer> answers_;
};

}  // namespace vesk::test
