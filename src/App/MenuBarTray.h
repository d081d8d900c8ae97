#pragma once

#include "Base/Signal.h"

#include <QIcon>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vesk {

// The application's icon in the desktop's tray, with its menu: "Vesk <version>", "Settings…" and
// "Quit Vesk". Present while the `showMenuBarIcon` setting is on and the desktop has a tray;
// silently absent otherwise.
//
// Main thread only.
class MenuBarTray {
public:
    MenuBarTray(std::function<void()> showSettings, std::function<void()> quit);
    ~MenuBarTray();
    MenuBarTray(const MenuBarTray &) = delete;
    MenuBarTray &operator=(const MenuBarTray &) = delete;

    // Whether the desktop offers a tray; replaceable for tests.
    std::function<bool()> trayAvailable;

    // Shows or removes the icon as the setting and the tray say; runs on every settings change.
    void sync();
    bool isShown() const;

    // The icon's menu, made on first use.
    QMenu &menu();
    // "Vesk " followed by the application's version (nothing when it has none).
    static QString versionLine();
    // The application's icon in the palette's text colour (trays here know no template images).
    static QIcon icon();

private:
    std::function<void()> showSettings_;
    std::function<void()> quit_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    Connection settingsConnection_;
};

}  // namespace vesk
