#include "App/SingleInstance.h"

#include "Platform/Log.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vesk {

namespace {
constexpr int handOverTimeoutMs = 2000;
const QByteArray reopenMessage = "reopen\n";
}  // namespace

SingleInstance::SingleInstance(QString display)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return;
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    // ":0.0" and "localhost:10" become file-name friendly.
    QString tag = display.isEmpty() ? QStringLiteral("none") : display;
    tag.replace(QLatin1Char(':'), QLatin1Char('_')).replace(QLatin1Char('/'), QLatin1Char('_'));
    socketPath_ = runtime + QStringLiteral("/vesk-") + tag + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance()
{
    if (server_)
        server_->close();
    if (lock_ >= 0)
        ::close(lock_);
}

SingleInstance::Role SingleInstance::claim()
{
    if (socketPath_.isEmpty())
        return Role::primary;
    const QByteArray lockPath = (socketPath_ + QStringLiteral(".lock")).toLocal8Bit();
    lock_ = ::open(lockPath.constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    // The lock, not the socket, decides: a socket file left by a crashed instance proves nothing,
    // while the lock dies with its holder.
    if (lock_ >= 0 && ::flock(lock_, LOCK_EX | LOCK_NB) == 0) {
        QLocalServer::removeServer(socketPath_);
        server_ = std::make_unique<QLocalServer>();
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
            while (QLocalSocket *socket = server_->nextPendingConnection()) {
                QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { readFrom(socket); });
                readFrom(socket);
            }
        });
        if (!server_->listen(socketPath_))
            log("single-instance socket unavailable: " + server_->errorString().toStdString());
        return Role::primary;
    }
    if (lock_ >= 0) {
        ::close(lock_);
        lock_ = -1;
    }

    // Another instance holds the lock; it may still be on its way to listening.
    QDeadlineTimer deadline(handOverTimeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(reopenMessage);
            socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return Role::secondary;
        }
        // Not listening yet: try again shortly rather than spin.
        QThread::msleep(20);
    }
    return Role::secondary;
}

void SingleInstance::readFrom(QLocalSocket *socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine() == reopenMessage) {
            log("asked to reopen by a second start");
            if (onReopen)
                onReopen();
        }
    }
}

}  // namespace vesk
