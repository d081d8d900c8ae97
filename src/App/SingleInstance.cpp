#include "App/SingleInstance.h"

#include "Base/Log.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vesk {

namespace {
constexpr int handOverTimeoutMs = 2000;
const QByteArray reopenMessage = "reopen\n";
}  // namespace

// A client's reader lives and dies with its socket.
struct SocketReader : QObject {
    using QObject::QObject;
    InstanceMessageReader reader;
};

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
    if (lock_ < 0) {
        // Only a lock that someone holds means another instance runs; a folder we cannot write
        // says nothing about that, so this start runs, as without $XDG_RUNTIME_DIR.
        log("cannot open the single-instance lock " + lockPath.toStdString() + " (" + std::strerror(errno)
            + "); running without the single-instance check");
        return Role::primary;
    }
    // The lock, not the socket, decides: a socket file left by a crashed instance proves nothing,
    // while the lock dies with its holder.
    int locked;
    do
        locked = ::flock(lock_, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0 && errno != EWOULDBLOCK) {
        log("cannot take the single-instance lock " + lockPath.toStdString() + " (" + std::strerror(errno)
            + "); running without the single-instance check");
        ::close(lock_);
        lock_ = -1;
        return Role::primary;
    }
    if (locked == 0) {
        QLocalServer::removeServer(socketPath_);
        server_ = std::make_unique<QLocalServer>();
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
            while (QLocalSocket *socket = server_->nextPendingConnection()) {
                QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                auto *holder = new SocketReader(socket);
                QObject::connect(socket, &QLocalSocket::readyRead, socket,
                                 [this, socket, holder] { readFrom(socket, holder->reader); });
                readFrom(socket, holder->reader);
            }
        });
        if (!server_->listen(socketPath_))
            log("single-instance socket unavailable: " + server_->errorString().toStdString());
        return Role::primary;
    }
    ::close(lock_);
    lock_ = -1;

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

void SingleInstance::readFrom(QLocalSocket *socket, InstanceMessageReader &reader)
{
    const int reopens = reader.feed(socket->readAll());
    for (int i = 0; i < reopens; ++i) {
        log("asked to reopen by a second start");
        if (onReopen)
            onReopen();
    }
    if (reader.overflowed())
        socket->abort();
}

int InstanceMessageReader::feed(std::string_view bytes)
{
    int reopens = 0;
    while (!overflowed_ && !bytes.empty()) {
        const auto feed = bytes.find('\n');
        const auto piece = bytes.substr(0, feed);
        if (pending_.size() + piece.size() > kLineLimit) {
            overflowed_ = true;
            pending_.clear();
            break;
        }
        pending_.append(piece);
        if (feed == std::string_view::npos)
            break;
        reopens += pending_ == "reopen";
        pending_.clear();
        bytes.remove_prefix(feed + 1);
    }
    return reopens;
}

}  // namespace vesk
