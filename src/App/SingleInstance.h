#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QObject;

namespace vesk {

// Vesk runs once per user and display. The first start holds a lock file and listens on a local
// socket in $XDG_RUNTIME_DIR; a later start finds the lock taken, sends "reopen" over the socket
// and should exit with status 0. The running instance then calls `onReopen`.
//
// Main thread only. Without $XDG_RUNTIME_DIR every start runs as the only one (nothing is
// enforced, nothing is reported); when the lock cannot be opened or taken for any reason but
// another holder, one "Vesk: " line says so and the start runs as the only one too. So it does
// when the folder is not this user's alone (another user's lock and socket there would make it
// hand over to their process), or the lock or the socket is not this user's; a link at the lock's
// name is never followed. A second start that finds the running one unreachable (something else
// at the socket's name, no answer) says so in one line and exits.
// What one client of the socket sends, read as lines. Clients are other starts of Vesk, whose
// one message is short: a client that sends more than kLineLimit bytes without a line feed is
// dropped instead of buffered.
class InstanceMessageReader {
public:
    static constexpr std::size_t kLineLimit = 64;

    // Takes the next bytes; returns how many "reopen" lines they completed. Nothing is read once
    // the client overflowed.
    int feed(std::string_view bytes);
    int feed(const QByteArray &bytes) { return feed(std::string_view(bytes.constData(), size_t(bytes.size()))); }
    bool overflowed() const { return overflowed_; }

private:
    std::string pending_;
    bool overflowed_ = false;
};

class SingleInstance {
public:
    enum class Role { primary, secondary };

    // `display` tells instances on different displays apart; empty means $DISPLAY.
    explicit SingleInstance(QString display = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Becomes the running instance, or hands "reopen" to the one that runs (waiting up to about
    // two seconds for it to listen, when it is still starting).
    Role claim();

    // The socket's path; empty without $XDG_RUNTIME_DIR.
    const QString &socketPath() const { return socketPath_; }

    std::function<void()> onReopen;

private:
    bool listen();
    void acceptClients();
    Role handOver();

    QString socketPath_;
    int lock_ = -1;
    int server_ = -1;
    // Watches the listening socket; its children watch the clients, one each.
    std::unique_ptr<QObject> watch_;
};

}  // namespace vesk
