#include "Platform/linux/DBusScreenLock.h"

#include <QDBusConnection>

namespace vesk {

DBusScreenLock::DBusScreenLock()
{
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // Any sender and path: the screen saver may live on any name.
    for (const char *interface : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver", "org.mate.ScreenSaver"})
        bus.connect(QString(), QString(), QString::fromLatin1(interface), QStringLiteral("ActiveChanged"), this,
                    SLOT(activeChanged(bool)));
}

void DBusScreenLock::activeChanged(bool active)
{
    if (active == locked_)
        return;
    locked_ = active;
    lockedChanged(active);
}

namespace {
ScreenLock *installed = nullptr;
}

ScreenLock &screenLock()
{
    if (installed)
        return *installed;
    static DBusScreenLock real;
    return real;
}

void setScreenLock(ScreenLock *service) { installed = service; }

}  // namespace vesk
