#include "App/MenuBarTray.h"

#include "App/MenuBarIcon.h"
#include "Model/Defaults.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace vesk {

MenuBarTray::MenuBarTray(std::function<void()> showSettings, std::function<void()> quit)
    : trayAvailable([] { return QSystemTrayIcon::isSystemTrayAvailable(); }),
      showSettings_(std::move(showSettings)), quit_(std::move(quit))
{
    settingsConnection_ = UserDefaults::standard().changed.connect([this] { sync(); });
}

QMenu &MenuBarTray::menu()
{
    // Made with the icon that shows it: a desktop without a tray never needs the widget machinery
    // a menu starts (its style, palette and fonts), and a start is quicker without it.
    if (menu_)
        return *menu_;
    menu_ = std::make_unique<QMenu>();
    QAction *version = menu_->addAction(versionLine());
    version->setEnabled(false);
    menu_->addSeparator();
    // `handler` is one of this tray's own members, so it outlives the menu's actions.
    auto addCommand = [this](const QString &title, QKeySequence shortcut, const std::function<void()> &handler) {
        QAction *action = menu_->addAction(title);
        action->setShortcut(shortcut);
        QObject::connect(action, &QAction::triggered, [&handler] {
            if (handler)
                handler();
        });
    };
    addCommand(QStringLiteral("Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), showSettings_);
    menu_->addSeparator();
    addCommand(QStringLiteral("Quit Vesk"), QKeySequence(Qt::CTRL | Qt::Key_Q), quit_);
    return *menu_;
}

MenuBarTray::~MenuBarTray() = default;

QString MenuBarTray::versionLine()
{
    return QStringLiteral("Vesk ") + QCoreApplication::applicationVersion();
}

QIcon MenuBarTray::icon()
{
    const QColor text = QGuiApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    for (double scale : {1.0, 2.0})
        icon.addPixmap(QPixmap::fromImage(MenuBarIcon::render(scale, text)));
    return icon;
}

void MenuBarTray::sync()
{
    const bool wanted = UserDefaults::standard().value(settings::showMenuBarIcon) && trayAvailable && trayAvailable();
    if (wanted == isShown())
        return;
    if (!wanted) {
        icon_.reset();
        return;
    }
    icon_ = std::make_unique<QSystemTrayIcon>(icon());
    icon_->setToolTip(QStringLiteral("Vesk"));
    icon_->setContextMenu(&menu());
    icon_->show();
}

bool MenuBarTray::isShown() const
{
    return icon_ != nullptr;
}

}  // namespace vesk
