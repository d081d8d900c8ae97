#pragma once

#include "Platform/ScreenLock.h"

#include <QObject>

namespace vesk {

// Follows the screen savers' "ActiveChanged(bool)" signal on the session bus, from the
// freedesktop interface and the GNOME and MATE ones that desktops still emit.
class DBusScreenLock final : public QObject, public ScreenLock {
    Q_OBJECT
public:
    DBusScreenLock();
    bool isLocked() const override { return locked_; }

private slots:
    void activeChanged(bool active);

private:
    bool locked_ = false;
};

}  // namespace vesk
