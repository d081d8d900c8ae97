// Focus from a fake notification server on the private session bus.
#include "Platform/FocusStatus.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QThread>
#include <QUuid>

#include <atomic>

using namespace vesk;

namespace {

const QString notifications = QStringLiteral("org.freedesktop.Notifications");

// A notification server with KDE's `Inhibited` property.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
    Q_PROPERTY(bool Inhibited READ inhibited)
public:
    bool inhibited() const { return inhibited_; }
    std::atomic<bool> inhibited_ = false;
};

// One with a property of the wrong type.
class OddNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
    Q_PROPERTY(QString Inhibited READ inhibited)
public:
    QString inhibited() const { return QStringLiteral("yes"); }
};

// A connection of its own that owns the notification name while it lives. The server answers on
// a thread of its own: the code under test asks with a blocking call from the main thread.
class Owner {
public:
    explicit Owner(QObject *server)
        : name_(QStringLiteral("notify-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
          bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name_))
    {
        thread_.start();
        server->moveToThread(&thread_);
        bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), server,
                            QDBusConnection::ExportAllProperties);
        owned_ = bus_.registerService(notifications);
        server_ = server;
    }
    ~Owner()
    {
        bus_.unregisterService(notifications);
        QDBusConnection::disconnectFromBus(name_);
        thread_.quit();
        thread_.wait();
    }
    bool owned() const { return owned_; }

private:
    QString name_;
    QDBusConnection bus_;
    QThread thread_;
    QObject *server_ = nullptr;
    bool owned_ = false;
};

}  // namespace

TEST(FocusIntegrationTest, TheServersInhibitedIsFocusWhileItRuns)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "scripts/run-tests starts a session bus";
    test::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "KDE");
    FocusStatus &focus = focusStatus();
    EXPECT_FALSE(focus.isAuthorised()) << "no server: unknown";
    EXPECT_FALSE(focus.isFocused());
    {
        FakeNotificationServer server;
        Owner owner(&server);
        ASSERT_TRUE(owner.owned());
        ASSERT_TRUE(test::waitFor([&] { return focus.isAuthorised(); })) << "the bus announces the server";
        EXPECT_EQ(focus.isFocused(), false);
        server.inhibited_ = true;
        EXPECT_EQ(focus.isFocused(), true);
        std::optional<bool> granted;
        focus.request([&](bool answer) { granted = answer; });
        ASSERT_TRUE(test::waitFor([&] { return granted.has_value(); }));
        EXPECT_TRUE(*granted);
    }
    EXPECT_TRUE(test::waitFor([&] { return !focus.isFocused(); })) << "the server went: unknown again";
}

TEST(FocusIntegrationTest, AValueOfAnotherTypeIsIgnored)
{
    test::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "KDE");
    bool announced = false;
    QDBusServiceWatcher watcher(notifications, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, [&] { announced = true; });
    OddNotificationServer server;
    Owner owner(&server);
    ASSERT_TRUE(owner.owned());
    // Asked once the bus has said that the server runs, so the property itself is what is refused.
    ASSERT_TRUE(test::waitFor([&] { return announced; }));
    EXPECT_FALSE(focusStatus().isFocused());
    EXPECT_FALSE(focusStatus().isAuthorised());
}

#include "FocusIntegrationTest.moc"
