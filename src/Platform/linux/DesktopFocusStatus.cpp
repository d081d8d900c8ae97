#include "Platform/linux/GnomeBanners.h"

#include "Platform/FocusStatus.h"
#include "Platform/InstalledService.h"
#include "Base/MainQueue.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace vesk {

namespace {

const QString notifications = QStringLiteral("org.freedesktop.Notifications");
constexpr int busTimeoutMs = 250;

// Whether the notification server runs, kept from the bus's announcements of the name's owner: the
// focus poll then asks nothing of the bus while no server runs, and asks only for the property while
// one does.
class NotificationServerWatch {
public:
    NotificationServerWatch()
        : watcher_(notifications, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange)
    {
        // Watched before asked, so no change between the answer and the first announcement is lost.
        QObject::connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged,
                         [this](const QString &, const QString &, const QString &owner) { runs_ = !owner.isEmpty(); });
        auto bus = QDBusConnection::sessionBus();
        runs_ = bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(notifications).value();
    }
    bool runs() const { return runs_; }

private:
    QDBusServiceWatcher watcher_;
    bool runs_ = false;
};

// The notification server's `Inhibited` (KDE's do-not-disturb), read only while the server runs:
// asking a name without an owner could start one.
std::optional<bool> inhibited()
{
    // Made on first use, on the main thread, and kept to the end: it belongs to the bus connection.
    static const NotificationServerWatch &server = *new NotificationServerWatch;
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !server.runs())
        return std::nullopt;
    auto message = QDBusMessage::createMethodCall(notifications, QStringLiteral("/org/freedesktop/Notifications"),
                                                  QStringLiteral("org.freedesktop.DBus.Properties"),
                                                  QStringLiteral("Get"));
    message.setAutoStartService(false);
    message << notifications << QStringLiteral("Inhibited");
    const auto reply = bus.call(message, QDBus::Block, busTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const QVariant value = reply.arguments().first().value<QDBusVariant>().variant();
    if (value.metaType() != QMetaType::fromType<bool>())
        return std::nullopt;  // a value of another type is no answer
    return value.toBool();
}

bool underGnome()
{
    const auto desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    return desktops.split(QLatin1Char(':')).contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

class DesktopFocusStatus final : public FocusStatus {
public:
    bool isAuthorised() const override { return isFocused().has_value(); }
    std::optional<bool> focusIfAuthorised() const override { return isFocused(); }
    std::optional<bool> isFocused() const override
    {
        if (auto value = inhibited())
            return value;
        if (underGnome()) {
            if (auto banners = gnomeShowBanners())
                return !*banners;
        }
        return std::nullopt;
    }
    void request(std::function<void(bool)> done) override
    {
        mainQueue().post([this, done = std::move(done)] {
            if (done)
                done(isAuthorised());
        });
    }
};

InstalledService<FocusStatus, DesktopFocusStatus> installed;

}  // namespace

FocusStatus &focusStatus() { return installed.get(); }
void setFocusStatus(FocusStatus *service) { installed.install(service); }

}  // namespace vesk
