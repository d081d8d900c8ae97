#pragma once

#include "Platform/ScreenLock.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace vesk {

// The session's lock from every source that reports it: "ActiveChanged(bool)" of the
// freedesktop, GNOME, MATE and Cinnamon screen savers on the session bus, and the "LockedHint" of
// our logind session on the system bus. The states found at start are the base and are never
// reported; after that one kept state flips on a report that differs from it and ignores an equal
// one, so a lock that several sources report arrives once. logind's Lock and Unlock signals are
// requests to the locker, not reports, and are not followed.
class DBusScreenLock final : public QObject, public ScreenLock {
    Q_OBJECT
public:
    // The default buses unless others are given (tests).
    DBusScreenLock();
    DBusScreenLock(QDBusConnection session, QDBusConnection system);
    bool isLocked() const override { return locked_; }

private slots:
    void activeChanged(bool active);
    void sessionPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    void report(bool locked);
    void readBase(QDBusConnection bus, const QString &service, const QString &path, const QString &interface);
    // Follows LockedHint changes of the session object at `path`.
    void followSession(const QString &path);

    QDBusConnection system_;
    bool locked_ = false;
    bool reported_ = false;  // a report came: late answers about the start no longer count
};

}  // namespace vesk
