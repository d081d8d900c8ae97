#include "Platform/linux/XdgDesktopApps.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

class XdgDesktopAppsTest : public ::testing::Test {
protected:
    XdgDesktopAppsTest()
        : configHome("XDG_CONFIG_HOME", root.filePath("config").toStdString()),
          configDirs("XDG_CONFIG_DIRS", root.filePath("etc").toStdString()),
          dataHome("XDG_DATA_HOME", root.filePath("data").toStdString()),
          dataDirs("XDG_DATA_DIRS", root.filePath("share").toStdString()),
          desktop("XDG_CURRENT_DESKTOP", std::nullopt)
    {
    }
    void write(const QString &relative, const QByteArray &text)
    {
        const QString path = root.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void install(const QString &id, const QByteArray &icon = "")
    {
        write("share/applications/" + id + ".desktop", "[Desktop Entry]\nType=Application\nName=" + id.toUtf8()
                                                           + "\nIcon=" + icon + "\n");
    }

    QTemporaryDir root;
    ScopedEnv configHome, configDirs, dataHome, dataDirs, desktop;
    XdgDesktopApps apps;
};

}  // namespace

TEST_F(XdgDesktopAppsTest, GnomeDefaultMusicPlayer)
{
    // As GNOME writes it: the user's choice in ~/.config/mimeapps.list, the distribution's
    // gnome-mimeapps.list below it.
    ScopedEnv gnome("XDG_CURRENT_DESKTOP", "GNOME");
    install("org.gnome.Rhythmbox3");
    install("org.gnome.Lollypop");
    write("share/applications/gnome-mimeapps.list",
          "[Default Applications]\naudio/mpeg=org.gnome.Rhythmbox3.desktop;\n");
    EXPECT_EQ(apps.defaultApplication("audio/mpeg"), "org.gnome.Rhythmbox3");
    write("config/mimeapps.list", "[Added Associations]\naudio/mpeg=org.gnome.Lollypop.desktop;\n\n"
                                  "[Default Applications]\naudio/mpeg=uninstalled.desktop;org.gnome.Lollypop.desktop\n");
    EXPECT_EQ(apps.defaultApplication("audio/mpeg"), "org.gnome.Lollypop");
    EXPECT_EQ(apps.defaultApplication("audio/flac"), std::nullopt);
}

TEST_F(XdgDesktopAppsTest, KdeDesktopSpecificListComesFirst)
{
    ScopedEnv kde("XDG_CURRENT_DESKTOP", "KDE");
    install("org.kde.elisa");
    install("vlc");
    write("config/mimeapps.list", "[Default Applications]\naudio/mpeg=vlc.desktop\n");
    write("config/kde-mimeapps.list", "[Default Applications]\naudio/mpeg=org.kde.elisa.desktop;\n");
    EXPECT_EQ(apps.defaultApplication("audio/mpeg"), "org.kde.elisa");
    ScopedEnv gnome("XDG_CURRENT_DESKTOP", "GNOME");
    EXPECT_EQ(apps.defaultApplication("audio/mpeg"), "vlc");
}

TEST_F(XdgDesktopAppsTest, IconsFromPathsAndThemes)
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QDir().mkpath(root.filePath("share/icons/hicolor/48x48/apps"));
    ASSERT_TRUE(image.save(root.filePath("share/icons/hicolor/48x48/apps/player.png")));
    ASSERT_TRUE(image.save(root.filePath("absolute.png")));
    install("themed", "player");
    install("direct", root.filePath("absolute.png").toUtf8());
    install("missing", "no-such-icon-anywhere");
    auto themed = apps.icon("themed", 128);
    ASSERT_TRUE(themed);
    EXPECT_EQ(themed->size(), QSize(128, 128));
    auto direct = apps.icon("direct", 128);
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->size(), QSize(128, 128));
    EXPECT_FALSE(apps.icon("missing", 128));
    EXPECT_FALSE(apps.icon("not-installed", 128));
}
