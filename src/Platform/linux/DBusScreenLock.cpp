#include "Platform/linux/DBusScreenLock.h"

#include "Platform/InstalledService.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace vesk {

namespace {

const QString login1 = QStringLiteral("org.freedesktop.login1");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString autoSession = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");

struct Saver {
    const char *service;
    const char *path;
};
constexpr Saver savers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
    {"org.mate.ScreenSaver", "/org/mate/ScreenSaver"},
    {"org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver"},
};

}  // namespace

DBusScreenLock::DBusScreenLock() : DBusScreenLock(QDBusConnection::sessionBus(), QDBusConnection::systemBus()) {}

DBusScreenLock::DBusScreenLock(QDBusConnection session, QDBusConnection system) : system_(std::move(system))
{
    if (session.isConnected()) {
        for (const Saver &saver : savers) {
            const QString interface = QString::fromLatin1(saver.service);
            // Any sender and path: screen savers live under several names. A signal of another
            // signature does not match the slot and never arrives.
            session.connect(QString(), QString(), interface, QStringLiteral("ActiveChanged"), this,
                            SLOT(activeChanged(bool)));
            readBase(session, interface, QString::fromLatin1(saver.path), interface);
        }
    }
    if (system_.isConnected()) {
        // Signals come from the session's own path; "auto" only names it in calls.
        followSession(autoSession);
        auto *watcher = new QDBusPendingCallWatcher(
            system_.asyncCall(QDBusMessage::createMethodCall(login1, QStringLiteral("/org/freedesktop/login1"),
                                                             QStringLiteral("org.freedesktop.login1.Manager"),
                                                             QStringLiteral("GetSession"))
                                  << QStringLiteral("auto")),
            this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
            call->deleteLater();
            QDBusPendingReply<QDBusObjectPath> reply = *call;
            if (reply.isValid() && reply.value().path() != autoSession)
                followSession(reply.value().path());
        });
        auto *base = new QDBusPendingCallWatcher(
            system_.asyncCall(QDBusMessage::createMethodCall(login1, autoSession, properties, QStringLiteral("Get"))
                              << sessionInterface << QStringLiteral("LockedHint")),
            this);
        connect(base, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
            call->deleteLater();
            QDBusPendingReply<QDBusVariant> reply = *call;
            if (reply.isValid() && !reported_ && reply.value().variant().typeId() == QMetaType::Bool)
                locked_ = locked_ || reply.value().variant().toBool();
        });
    }
}

void DBusScreenLock::readBase(QDBusConnection bus, const QString &service, const QString &path, const QString &interface)
{
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetActive"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        QDBusPendingReply<bool> reply = *call;
        // The start's state, taken silently, unless a report already came.
        if (reply.isValid() && !reported_)
            locked_ = locked_ || reply.value();
    });
}

void DBusScreenLock::followSession(const QString &path)
{
    system_.connect(login1, path, properties, QStringLiteral("PropertiesChanged"), this,
                    SLOT(sessionPropertiesChanged(QString, QVariantMap, QStringList)));
}

void DBusScreenLock::activeChanged(bool active) { report(active); }

void DBusScreenLock::sessionPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                              const QStringList &)
{
    if (interface != sessionInterface)
        return;
    const auto hint = changed.find(QStringLiteral("LockedHint"));
    if (hint == changed.end() || hint->typeId() != QMetaType::Bool)
        return;
    report(hint->toBool());
}

void DBusScreenLock::report(bool locked)
{
    reported_ = true;
    if (locked == locked_)
        return;
    locked_ = locked;
    lockedChanged(locked);
}

namespace {
InstalledService<ScreenLock, DBusScreenLock> installed;
}

ScreenLock &screenLock() { return installed.get(); }

void setScreenLock(ScreenLock *service) { installed.install(service); }

}  // namespace vesk
