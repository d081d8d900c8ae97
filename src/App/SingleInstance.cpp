#include "App/SingleInstance.h"

#include "Base/Log.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vesk {

namespace {
constexpr int handOverTimeoutMs = 2000;
constexpr std::string_view reopenMessage = "reopen\n";

// The socket's address; false when the path is too long for one.
bool socketAddress(const QByteArray &path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

// Says why this start runs as the only one, although another may run.
SingleInstance::Role withoutCheck(const std::string &why)
{
    log(why + "; running without the single-instance check");
    return SingleInstance::Role::primary;
}

// Whether the process at the other end of a connected socket runs as this user.
bool isOurs(int socket)
{
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

// Waits until `socket` is ready for `events` or the deadline passes.
bool waitFor(int socket, short events, const QDeadlineTimer &deadline)
{
    pollfd watched{socket, events, 0};
    int ready;
    do
        ready = ::poll(&watched, 1, int(qMax<qint64>(0, deadline.remainingTime())));
    while (ready < 0 && errno == EINTR);
    return ready > 0 && (watched.revents & events);
}

// One client of the socket: what it sends is read as it arrives, and it goes when it hangs up,
// fails or sends more than a client ever needs to.
class Client final : public QObject {
public:
    Client(int socket, QObject *parent, std::function<void()> reopen)
        : QObject(parent), socket_(socket), notifier_(socket, QSocketNotifier::Read, this), reopen_(std::move(reopen))
    {
        QObject::connect(&notifier_, &QSocketNotifier::activated, this, [this] { read(); });
    }
    ~Client() override { ::close(socket_); }

private:
    void read()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(socket_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (got <= 0)
                break;  // hung up or failed
            const int reopens = reader_.feed(std::string_view(buffer, size_t(got)));
            for (int i = 0; i < reopens; ++i) {
                log("asked to reopen by a second start");
                if (reopen_)
                    reopen_();
            }
            if (reader_.overflowed())
                break;
        }
        // Not from inside the notifier's own signal: it goes on the next turn.
        notifier_.setEnabled(false);
        deleteLater();
    }

    int socket_;
    QSocketNotifier notifier_;
    std::function<void()> reopen_;
    InstanceMessageReader reader_;
};
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
    watch_.reset();  // the clients with it
    if (server_ >= 0) {
        // Still under the lock, so the name is ours: a start that finds no socket there knows at
        // once that it waits for an instance on its way up, not for one that ended.
        ::unlink(socketPath_.toLocal8Bit().constData());
        ::close(server_);
    }
    if (lock_ >= 0)
        ::close(lock_);
}

SingleInstance::Role SingleInstance::claim()
{
    if (socketPath_.isEmpty())
        return Role::primary;
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
        const int error = errno;
        ::close(lock_);
        lock_ = -1;
        return withoutCheck("cannot take the single-instance lock " + lockPath.toStdString() + " ("
                            + std::strerror(error) + ")");
    }
    if (locked == 0) {
        if (!listen())
            log(std::string("single-instance socket unavailable: ") + std::strerror(errno));
        return Role::primary;
    }
    ::close(lock_);
    lock_ = -1;
    return handOver();
}

bool SingleInstance::listen()
{
    const QByteArray path = socketPath_.toLocal8Bit();
    sockaddr_un address;
    if (!socketAddress(path, address)) {
        errno = ENAMETOOLONG;
        return false;
    }
    // We hold the lock, so whatever stands at the name was left by an instance that ended.
    struct stat info {};
    if (::lstat(path.constData(), &info) == 0 && !S_ISDIR(info.st_mode))
        ::unlink(path.constData());
    server_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server_ < 0)
        return false;
    if (::bind(server_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(server_, 8) != 0) {
        const int error = errno;
        ::close(server_);
        server_ = -1;
        errno = error;
        return false;
    }
    watch_ = std::make_unique<QObject>();
    auto *notifier = new QSocketNotifier(server_, QSocketNotifier::Read, watch_.get());
    QObject::connect(notifier, &QSocketNotifier::activated, watch_.get(), [this] { acceptClients(); });
    return true;
}

void SingleInstance::acceptClients()
{
    for (;;) {
        const int client = ::accept4(server_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;  // none left (or none to be had now)
        }
        new Client(client, watch_.get(), [this] {
            if (onReopen)
                onReopen();
        });
    }
}

SingleInstance::Role SingleInstance::handOver()
{
    // Another instance holds the lock; it may still be on its way to listening.
    const QByteArray socketPath = socketPath_.toLocal8Bit();
    sockaddr_un address;
    QDeadlineTimer deadline(handOverTimeoutMs);
    while (socketAddress(socketPath, address) && !deadline.hasExpired()) {
        struct stat info {};
        if (::lstat(socketPath.constData(), &info) == 0) {
            // Nothing the running instance makes: it could not listen, and waiting will not help.
            if (!S_ISSOCK(info.st_mode)) {
                log("another Vesk runs, but " + socketPath.toStdString() + " is not its socket; cannot ask it to reopen");
                return Role::secondary;
            }
            if (info.st_uid != ::geteuid())
                return withoutCheck("the single-instance socket " + socketPath.toStdString()
                                    + " belongs to another user");
            const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            if (socket < 0)
                break;
            int connected = ::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address);
            if (connected != 0 && errno == EAGAIN && waitFor(socket, POLLOUT, deadline)) {
                int error = 0;
                socklen_t size = sizeof error;
                connected = ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0 ? 0 : -1;
            }
            if (connected == 0) {
                if (!isOurs(socket)) {
                    ::close(socket);
                    return withoutCheck("the single-instance socket " + socketPath.toStdString()
                                        + " is served by another user");
                }
                std::string_view rest = reopenMessage;
                while (!rest.empty() && waitFor(socket, POLLOUT, deadline)) {
                    const ssize_t sent = ::send(socket, rest.data(), rest.size(), MSG_NOSIGNAL);
                    if (sent < 0 && errno != EINTR && errno != EAGAIN)
                        break;
                    if (sent > 0)
                        rest.remove_prefix(size_t(sent));
                }
                ::close(socket);
                return Role::secondary;
            }
            ::close(socket);
        }
        // Not listening yet: try again shortly rather than spin.
        QThread::msleep(20);
    }
    log("another Vesk runs, but did not answer on " + socketPath.toStdString());
    return Role::secondary;
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
