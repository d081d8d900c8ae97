// The session's lock from screen savers and logind, each on a D-Bus daemon of the test's own.
#include "Platform/linux/DBusScreenLock.h"

#include "LockScreen/PrivateBusSupport.h"
#include "TestSupport.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include <gtest/gtest.h>

using namespace vesk;
using vesk::test::waitFor;

namespace {

const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");

// A screen saver that says it is active.
class ActiveSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.ScreenSaver")
public slots:
    Q_SCRIPTABLE bool GetActive() { return true; }
};

// Our logind session with its LockedHint.
class FakeSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(bool LockedHint READ lockedHint)
public:
    bool locked = false;
    bool lockedHint() const { return locked; }
};

// logind's manager, which names the session's own object for "auto".
class FakeManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public slots:
    Q_SCRIPTABLE QDBusObjectPath GetSession(const QString &id)
    {
        return QDBusObjectPath(id == QLatin1String("auto") ? QStringLiteral("/org/freedesktop/login1/session/c2")
                                                           : QStringLiteral("/org/freedesktop/login1/session/") + id);
    }
};

class ScreenLockIntegration : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(sessionBus.address().isEmpty()) << "dbus-daemon did not start";
        saver = sessionBus.connect();
        logind = systemBus.connect();
        ASSERT_TRUE(saver.isConnected() && logind.isConnected());
    }
    void activeChanged(const char *interface, const QVariant &active)
    {
        auto signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                 QString::fromLatin1(interface), QStringLiteral("ActiveChanged"));
        signal << active;
        saver.send(signal);
    }
    void lockedHint(const QVariant &value, const char *interface = "org.freedesktop.login1.Session",
                    const QString &path = sessionPath)
    {
        auto signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                 QStringLiteral("PropertiesChanged"));
        signal << QString::fromLatin1(interface) << QVariantMap{{QStringLiteral("LockedHint"), value}} << QStringList();
        logind.send(signal);
    }
    void ownLogind()
    {
        logind.registerObject(sessionPath, &session, QDBusConnection::ExportAllProperties);
        ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
    }
    // Lets every signal sent so far arrive (a round trip through the bus follows them).
    void settle(QDBusConnection &sender)
    {
        QDBusMessage ping = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/"),
                                                           QStringLiteral("org.freedesktop.DBus"),
                                                           QStringLiteral("GetId"));
        sender.call(ping);
        waitFor([] { return false; }, 150);
    }

    test::PrivateBus sessionBus;
    test::PrivateBus systemBus;
    QDBusConnection saver{QString()};
    QDBusConnection logind{QString()};
    FakeSession session;
};

}  // namespace

TEST_F(ScreenLockIntegration, OneLockReportedByEverySourceArrivesOnce)
{
    ownLogind();
    DBusScreenLock lock(sessionBus.connect(), systemBus.connect());
    std::vector<bool> changes;
    Connection watch = lock.lockedChanged.connect([&](bool locked) { changes.push_back(locked); });
    settle(logind);

    activeChanged("org.freedesktop.ScreenSaver", true);
    activeChanged("org.gnome.ScreenSaver", true);
    session.locked = true;
    lockedHint(true);
    ASSERT_TRUE(waitFor([&] { return !changes.empty(); }));
    settle(saver);
    settle(logind);
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_TRUE(lock.isLocked());

    session.locked = false;
    lockedHint(false);
    activeChanged("org.gnome.ScreenSaver", false);
    activeChanged("org.freedesktop.ScreenSaver", false);
    ASSERT_TRUE(waitFor([&] { return changes.size() == 2; }));
    settle(saver);
    settle(logind);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_FALSE(lock.isLocked());
}

TEST_F(ScreenLockIntegration, ALockFoundAtStartIsTheBaseAndNeverReported)
{
    ActiveSaver active;
    saver.registerObject(QStringLiteral("/org/gnome/ScreenSaver"), &active, QDBusConnection::ExportScriptableSlots);
    ASSERT_TRUE(saver.registerService(QStringLiteral("org.gnome.ScreenSaver")));
    DBusScreenLock lock(sessionBus.connect(), systemBus.connect());
    int changes = 0;
    Connection watch = lock.lockedChanged.connect([&](bool) { ++changes; });
    ASSERT_TRUE(waitFor([&] { return lock.isLocked(); })) << "the screen saver's answer at start";
    activeChanged("org.mate.ScreenSaver", true);
    activeChanged("org.cinnamon.ScreenSaver", true);
    settle(saver);
    EXPECT_EQ(changes, 0);

    activeChanged("org.cinnamon.ScreenSaver", false);
    ASSERT_TRUE(waitFor([&] { return changes == 1; }));
    EXPECT_FALSE(lock.isLocked());
}

TEST_F(ScreenLockIntegration, LogindsLockedHintAtStartIsTheBaseToo)
{
    session.locked = true;
    ownLogind();
    DBusScreenLock lock(sessionBus.connect(), systemBus.connect());
    int changes = 0;
    Connection watch = lock.lockedChanged.connect([&](bool) { ++changes; });
    ASSERT_TRUE(waitFor([&] { return lock.isLocked(); }));
    EXPECT_EQ(changes, 0);
}

TEST_F(ScreenLockIntegration, SignalsOfAnotherShapeAndLogindsRequestsAreNotTheLockState)
{
    ownLogind();
    DBusScreenLock lock(sessionBus.connect(), systemBus.connect());
    int changes = 0;
    Connection watch = lock.lockedChanged.connect([&](bool) { ++changes; });
    settle(logind);

    activeChanged("org.freedesktop.ScreenSaver", QStringLiteral("true"));
    activeChanged("org.gnome.ScreenSaver", 1);
    lockedHint(QStringLiteral("yes"));
    lockedHint(true, "org.freedesktop.login1.User");
    logind.send(QDBusMessage::createSignal(sessionPath, QStringLiteral("org.freedesktop.login1.Session"),
                                           QStringLiteral("Lock")));
    settle(saver);
    settle(logind);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(lock.isLocked());
}

TEST_F(ScreenLockIntegration, WithoutBusesNothingEverChanges)
{
    DBusScreenLock lock(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("no-session")),
                        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("no-system")));
    int changes = 0;
    Connection watch = lock.lockedChanged.connect([&](bool) { ++changes; });
    activeChanged("org.freedesktop.ScreenSaver", true);
    settle(saver);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(lock.isLocked());
}

TEST_F(ScreenLockIntegration, TheSessionsOwnObjectIsFollowedAsLogindSignalsFromIt)
{
    FakeManager manager;
    logind.registerObject(QStringLiteral("/org/freedesktop/login1"), &manager, QDBusConnection::ExportScriptableSlots);
    ownLogind();
    DBusScreenLock lock(sessionBus.connect(), systemBus.connect());
    std::vector<bool> changes;
    Connection watch = lock.lockedChanged.connect([&](bool locked) { changes.push_back(locked); });
    settle(logind);
    lockedHint(true, "org.freedesktop.login1.Session", QStringLiteral("/org/freedesktop/login1/session/c2"));
    ASSERT_TRUE(waitFor([&] { return !changes.empty(); }));
    lockedHint(false, "org.freedesktop.login1.Session", QStringLiteral("/org/freedesktop/login1/session/c9"));
    settle(logind);
    EXPECT_EQ(changes, std::vector<bool>{true}) << "another session's hint is not ours";
}

#include "ScreenLockIntegrationTest.moc"
