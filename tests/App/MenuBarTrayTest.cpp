#include "App/MenuBarTray.h"
#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QMenu>

#include <gtest/gtest.h>

using vesk::MenuBarTray;
using vesk::UserDefaults;

namespace {

class MenuBarTrayTest : public ::testing::Test {
protected:
    MenuBarTrayTest()
    {
        UserDefaults::standard().set(vesk::settings::showMenuBarIcon, true);
        tray.trayAvailable = [this] { return available; };
    }
    ~MenuBarTrayTest() override { UserDefaults::standard().remove(vesk::settings::showMenuBarIcon.key); }

    int settings = 0;
    int quits = 0;
    bool available = true;
    MenuBarTray tray{[this] { ++settings; }, [this] { ++quits; }};
};

TEST_F(MenuBarTrayTest, MenuReadsVersionSettingsAndQuit)
{
    const auto actions = tray.menu().actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Vesk ") + QCoreApplication::applicationVersion());
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Settings…"));
    EXPECT_EQ(actions[2]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4]->text(), QStringLiteral("Quit Vesk"));
    EXPECT_EQ(actions[4]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    actions[2]->trigger();
    EXPECT_EQ(settings, 1);
    EXPECT_EQ(quits, 0);
    actions[4]->trigger();
    EXPECT_EQ(quits, 1);
}

TEST_F(MenuBarTrayTest, VersionLineKeepsItsSpaceWithoutAVersion)
{
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QString());
    EXPECT_EQ(MenuBarTray::versionLine(), QStringLiteral("Vesk "));
    QCoreApplication::setApplicationVersion(saved);
}

TEST_F(MenuBarTrayTest, FollowsTheSettingWhileTheDesktopHasATray)
{
    tray.sync();
    EXPECT_TRUE(tray.isShown());
    UserDefaults::standard().set(vesk::settings::showMenuBarIcon, false);
    EXPECT_FALSE(tray.isShown()) << "a settings change removes it at once";
    UserDefaults::standard().set(vesk::settings::showMenuBarIcon, true);
    EXPECT_TRUE(tray.isShown());
}

TEST_F(MenuBarTrayTest, IconIsTheApplicationsGlyphInTheTextColour)
{
    const QIcon icon = MenuBarTray::icon();
    const QImage image = icon.pixmap(QSize(36, 36)).toImage();
    ASSERT_FALSE(image.isNull());
    const QColor text = QGuiApplication::palette().color(QPalette::WindowText);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = qAlpha(image.pixel(x, y)) == 255 && QColor(image.pixel(x, y)).rgb() == text.rgb();
    EXPECT_TRUE(drawn);
}

TEST_F(MenuBarTrayTest, AbsentWithoutATray)
{
    available = false;
    tray.sync();
    EXPECT_FALSE(tray.isShown());
    // Nor is its menu made: a menu is the first widget, and starts the widget machinery with it.
    for (QWidget *widget : QApplication::allWidgets())
        EXPECT_EQ(qobject_cast<QMenu *>(widget), nullptr);
}

}  // namespace
