#include "App/SingleInstance.h"

#include "Base/Log.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {
constexpr int handOverTimeoutMs = 2000;
const QByteArray reopenMessage = "reopen\n";

// Whether the process at the other end of a connected socket runs as this user.
bool isOurs(const QLocalSocket &socket)
{
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}
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
    const auto withoutCheck = [](const std::string &why) {
        log(why + "; running without the single-instance check");
        return Role::primary;
    };
    // In a folder that others may write to, a lock and a socket tell nothing about our own
    // instance: another user's would make this start hand over to their process and quit.
    const QByteArray folder = QFileInfo(socketPath_).absolutePath().toLocal8Bit();
    struct stat info {};
    if (::stat(folder.constData(), &info) == 0 &&
        (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH))))
        return withoutCheck("the runtime folder " + folder.toStdString() + " is not private to this user");
    const QByteArray lockPath = (socketPath_ + QStringLiteral(".lock")).toLocal8Bit();
    // A link there is not followed: it could make us create or lock a file anywhere.
    lock_ = ::open(lockPath.constData(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (lock_ < 0) {
        // Only a lock that someone holds means another instance runs; a folder we cannot write
        // says nothing about that, so this start runs, as without $XDG_RUNTIME_DIR.
        return withoutCheck("cannot open the single-instance lock " + lockPath.toStdString() + " ("
                            + std::strerror(errno) + ")");
    }
    if (::fstat(lock_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(lock_);
        lock_ = -1;
        return withoutCheck("the single-instance lock " + lockPath.toStdString()
                            + " is not a file of this user");
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
    const QByteArray socketPath = socketPath_.toLocal8Bit();
    QDeadlineTimer deadline(handOverTimeoutMs);
    while (!deadline.hasExpired()) {
        if (::lstat(socketPath.constData(), &info) == 0) {
            // Nothing the running instance makes: it could not listen, and waiting will not help.
            if (!S_ISSOCK(info.st_mode)) {
                log("another Vesk runs, but " + socketPath.toStdString() + " is not its socket; cannot ask it to reopen");
                return Role::secondary;
            }
            if (info.st_uid != ::geteuid())
                return withoutCheck("the single-instance socket " + socketPath.toStdString()
                                    + " belongs to another user");
            QLocalSocket socket;
            socket.connectToServer(socketPath_);
            if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
                if (!isOurs(socket))
                    return withoutCheck("the single-instance socket " + socketPath.toStdString()
                                        + " is served by another user");
                socket.write(reopenMessage);
                socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
                socket.disconnectFromServer();
                return Role::secondary;
            }
        }
        // Not listening yet: try again shortly rather than spin.
        QThread::msleep(20);
    }
    log("another Vesk runs, but did not answer on " + socketPath.toStdString());
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
