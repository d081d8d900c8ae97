#include "Platform/linux/AutostartLoginItem.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace vesk;

namespace {

class AutostartLoginItemTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    test::ScopedEnv config{"XDG_CONFIG_HOME", dir.path().toStdString()};
    std::string entry() const { return dir.path().toStdString() + "/autostart/vesk.desktop"; }
    std::string read() const
    {
        std::ifstream in(entry());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string &text) const
    {
        QDir().mkpath(dir.path() + "/autostart");
        std::ofstream(entry()) << text;
    }
};

TEST_F(AutostartLoginItemTest, RegisterWritesTheEntryAndUnregisterRemovesIt)
{
    AutostartLoginItem item("/opt/vesk/bin/vesk");
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    EXPECT_EQ(item.registerItem(), std::nullopt);
    EXPECT_EQ(read(), "[Desktop Entry]\nType=Application\nName=Vesk\nExec=/opt/vesk/bin/vesk\nIcon=vesk\n"
                      "Terminal=false\n");
    struct stat info {};
    ASSERT_EQ(::stat(entry().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
    EXPECT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    EXPECT_EQ(item.unregisterItem(), std::nullopt);  // absent is done
}

TEST_F(AutostartLoginItemTest, APathWithABlankAndADollarIsQuoted)
{
    AutostartLoginItem item("/home/a b/$HOME/100%/vesk");
    ASSERT_EQ(item.registerItem(), std::nullopt);
    EXPECT_NE(read().find("Exec=\"/home/a b/\\\\$HOME/100%%/vesk\"\n"), std::string::npos) << read();
    EXPECT_EQ(desktop_entry::quoteExecArgument("/home/a b/$HOME/100%/vesk"), "\"/home/a b/\\$HOME/100%%/vesk\"");
    const auto back = desktop_entry::splitExec(*desktop_entry::quoteExecArgument("/x/\"q\" `b` \\ $"));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, std::vector<std::string>{"/x/\"q\" `b` \\ $"});
}

TEST_F(AutostartLoginItemTest, HiddenOrDisabledEntriesAreOff)
{
    AutostartLoginItem item("/usr/bin/vesk");
    write("[Desktop Entry]\nType=Application\nExec=vesk\nHidden=true\n");
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    write("[Desktop Entry]\nExec=vesk\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    write("[Desktop Entry]\nExec=vesk\n[Desktop Action x]\nHidden=true\n");
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
    write("[Desktop Entry]\nExec=vesk\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
}

TEST_F(AutostartLoginItemTest, AFolderInTheWayOrALineBreakFails)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(entry())));
    AutostartLoginItem item("/usr/bin/vesk");
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    const auto failure = item.registerItem();
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("vesk.desktop"), std::string::npos);
    EXPECT_TRUE(item.unregisterItem());
    ASSERT_TRUE(QDir().rmdir(QString::fromStdString(entry())));

    AutostartLoginItem broken("/usr/bin/ve\nsk");
    EXPECT_TRUE(broken.registerItem());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(entry())));
}

TEST_F(AutostartLoginItemTest, AnUnreadableEntryIsOffAndCannotBeReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    write("[Desktop Entry]\nExec=vesk\n");
    ASSERT_EQ(::chmod(entry().c_str(), 0), 0);
    AutostartLoginItem item("/usr/bin/vesk");
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    EXPECT_TRUE(item.registerItem());
}

TEST_F(AutostartLoginItemTest, OnlyTheStartOfAHugeEntryIsRead)
{
    // What lies past the first 64 KiB is never read: here a switch that would turn the entry off.
    const std::string head = "[Desktop Entry]\nExec=vesk\n";
    std::string padding;
    while (padding.size() < AutostartLoginItem::readLimit)
        padding += "# " + std::string(61, '.') + "\n";
    AutostartLoginItem item("/usr/bin/vesk");
    write(head + padding + "Hidden=true\n");
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
    write("[Desktop Entry]\nHidden=true\n" + padding);
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);

    // Something that is not a regular file is never opened in a way that waits on it.
    ::unlink(entry().c_str());
    ASSERT_EQ(::mkfifo(entry().c_str(), 0600), 0);
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    const auto failure = item.registerItem();
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("is not a regular file"), std::string::npos) << *failure;
}

TEST_F(AutostartLoginItemTest, ALinkAtTheEntryIsReplacedNotWrittenThrough)
{
    const QString profile = dir.path() + "/.profile";
    {
        QFile file(profile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("export PATH=$HOME/bin:$PATH\n");
    }
    QDir().mkpath(dir.path() + "/autostart");
    ASSERT_TRUE(QFile::link(profile, QString::fromStdString(entry())));
    AutostartLoginItem item("/opt/vesk/bin/vesk");
    ASSERT_EQ(item.registerItem(), std::nullopt);
    EXPECT_FALSE(QFileInfo(QString::fromStdString(entry())).isSymLink());
    EXPECT_EQ(read(), *AutostartLoginItem::entryText("/opt/vesk/bin/vesk"));
    QFile file(profile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "export PATH=$HOME/bin:$PATH\n");

    // A link to nothing is replaced too.
    ASSERT_EQ(item.unregisterItem(), std::nullopt);
    ASSERT_TRUE(QFile::link(dir.path() + "/missing", QString::fromStdString(entry())));
    ASSERT_EQ(item.registerItem(), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/missing"));
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
}

}  // namespace
