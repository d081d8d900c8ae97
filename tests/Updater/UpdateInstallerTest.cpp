#include "UpdaterTestSupport.h"

#include "TestSupport.h"
#include "Updater/UpdateInstaller.h"
#include "Updater/UpdateTexts.h"

#include <QFile>

using namespace vesk;
using namespace vesk::test;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray info(const std::string &build)
{
    return QByteArray::fromStdString(
        nlohmann::json{{"identifier", BundleInfo::identifier}, {"version", "1.2"}, {"build", build}}.dump());
}

// A parent folder with the running bundle "Vesk", a decoy sibling and a verified archive; tar is
// played by a function that fills the unpack folder it is given.
class InstallScene {
public:
    InstallScene()
    {
        writeFile(parent() + "/Vesk/Info.json", info("5"));
        writeFile(parent() + "/Vesk/bin/vesk", "old");
        writeFile(parent() + "/Vesk-decoy/Info.json", info("5"));
        writeFile(QString::fromStdString(archive()), "archive bytes");
        env.run = [this](const std::string &path, const std::vector<std::string> &args) {
            calls.push_back(args);
            EXPECT_EQ(path, "/bin/tar");
            const auto c = std::find(args.begin(), args.end(), "-C");
            unpacked = QString::fromStdString(*(c + 1));
            EXPECT_TRUE(QFileInfo(unpacked).isDir());
            return tar(unpacked);
        };
        env.isWritable = [this](const std::string &) { return writable; };
        env.startSwap = [this](const std::vector<std::string> &args) -> std::optional<std::string> {
            swaps.push_back(args);
            return std::nullopt;
        };
        env.openArchive = [this](const std::string &a) { opened.push_back(a); };
        env.processID = 77;
    }
    QString parent() const { return dir.path() + "/Apps"; }
    std::string archive() const { return (dir.path() + "/updates/Vesk-6.tar.gz").toStdString(); }
    InstallPlan plan() const
    {
        return {(parent() + "/Vesk").toStdString(), archive(), hexOf("archive bytes"), 6, 5};
    }
    // Runs the install; the failure's message, or empty on success.
    std::string replace()
    {
        try {
            replaceBundle(plan(), env);
        } catch (const UpdateFailure &f) {
            return f.message;
        }
        return {};
    }
    QStringList leftovers() const
    {
        return QDir(parent()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    static ToolResult tree(const QString &into, const QString &name, const std::string &build)
    {
        writeFile(into + "/" + name + "/Info.json", info(build));
        writeFile(into + "/" + name + "/bin/vesk", "new");
        return {};
    }

    QTemporaryDir dir;
    InstallEnvironment env;
    std::function<ToolResult(const QString &)> tar = [](const QString &into) { return tree(into, "Vesk", "6"); };
    bool writable = true;
    QString unpacked;
    std::vector<std::vector<std::string>> calls, swaps;
    std::vector<std::string> opened;
};

class UpdateInstallerTest : public ::testing::Test, public InstallScene {};

TEST_F(UpdateInstallerTest, StagesTheNewTreeAndStartsTheSwap)
{
    EXPECT_EQ(replace(), "");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (std::vector<std::string>{"-x", "-z", "-f", archive(), "-C", unpacked.toStdString(),
                                                  "--no-same-owner"}));
    EXPECT_TRUE(unpacked.startsWith(parent() + "/.Vesk-unpack-"));
    EXPECT_EQ(leftovers(), (QStringList{".Vesk-update", "Vesk", "Vesk-decoy"}));
    QFile staged(parent() + "/.Vesk-update/bin/vesk");
    ASSERT_TRUE(staged.open(QIODevice::ReadOnly));
    EXPECT_EQ(staged.readAll(), "new");
    ASSERT_EQ(swaps.size(), 1u);
    const std::string b = (parent() + "/Vesk").toStdString();
    EXPECT_EQ(swaps[0], (std::vector<std::string>{"/bin/sh", "-c", swapScript(), "sh", "77", b,
                                                  (parent() + "/.Vesk-update").toStdString(),
                                                  (parent() + "/.Vesk-previous").toStdString()}));
}

TEST_F(UpdateInstallerTest, TheFirstFolderOfOursByNameIsTaken)
{
    tar = [](const QString &into) {
        writeFile(into + "/.aaa-not-ours/Info.json", "{}");
        writeFile(into + "/Readme", "a file");
        tree(into, ".Vesk-hidden", "6");
        tree(into, "Vesk", "6");
        QFile::link(into + "/Vesk", into + "/.0-link");
        return ToolResult{};
    };
    EXPECT_EQ(replace(), "");
    EXPECT_TRUE(QFileInfo(parent() + "/.Vesk-update").isDir());
    EXPECT_FALSE(QFileInfo(parent() + "/.Vesk-update").isSymLink());
    EXPECT_EQ(leftovers(), (QStringList{".Vesk-update", "Vesk", "Vesk-decoy"}));
}

TEST(UpdateInstallerRefusalTest, RefusalsMoveNothing)
{
    struct Case {
        const char *what;
        std::function<void(InstallScene &)> prepare;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"unwritable folder", [](InstallScene &s) { s.writable = false; }, update_texts::cannotUpdateHere},
        {"not a bundle of ours", [](InstallScene &s) { QFile::remove(s.parent() + "/Vesk/Info.json"); },
         update_texts::cannotUpdateHere},
        {"archive changed since it was verified",
         [](InstallScene &s) { writeFile(QString::fromStdString(s.archive()), "other bytes"); }, update_texts::notVerified},
        {"nothing of ours inside",
         [](InstallScene &s) {
             s.tar = [](const QString &into) {
                 writeFile(into + "/Vesk/Info.json", R"({"identifier":"other.app","build":"6"})");
                 writeFile(into + "/Readme", "text");
                 return ToolResult{};
             };
         },
         update_texts::notContained},
        {"an older signed release replayed",
         [](InstallScene &s) { s.tar = [](const QString &into) { return InstallScene::tree(into, "Vesk", "4"); }; },
         update_texts::notVerified},
        {"the running build again",
         [](InstallScene &s) { s.tar = [](const QString &into) { return InstallScene::tree(into, "Vesk", "5"); }; },
         update_texts::notVerified},
        {"another build than announced",
         [](InstallScene &s) { s.tar = [](const QString &into) { return InstallScene::tree(into, "Vesk", "7"); }; },
         update_texts::notVerified},
        {"tar fails",
         [](InstallScene &s) { s.tar = [](const QString &) { return ToolResult{std::nullopt, 2, "tar: broken archive"}; }; },
         update_texts::couldNotInstall()},
        {"tar cannot start",
         [](InstallScene &s) { s.tar = [](const QString &) { return ToolResult{"No such file or directory", 0, ""}; }; },
         "No such file or directory"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        InstallScene s;
        c.prepare(s);
        CapturedLog log;
        EXPECT_EQ(s.replace(), c.message);
        EXPECT_EQ(s.leftovers(), (QStringList{"Vesk", "Vesk-decoy"}));  // no unpack folder, nothing staged
        EXPECT_TRUE(s.swaps.empty());
        EXPECT_EQ(s.opened.size(), c.message == update_texts::cannotUpdateHere ? 1u : 0u);
        if (c.message == update_texts::couldNotInstall())
            EXPECT_EQ(log.lines, std::vector<std::string>{"Vesk: update install failed: tar: broken archive"});
    }
}

TEST_F(UpdateInstallerTest, AStaleStagingTreeIsReplaced)
{
    writeFile(parent() + "/.Vesk-update/bin/vesk", "stale");
    writeFile(parent() + "/.Vesk-update/stale-only", "x");
    EXPECT_EQ(replace(), "");
    EXPECT_FALSE(QFileInfo::exists(parent() + "/.Vesk-update/stale-only"));
}

TEST_F(UpdateInstallerTest, AStagingNameThatIsALinkLosesOnlyTheLink)
{
    writeFile(dir.path() + "/precious/keep", "x");
    ASSERT_TRUE(QFile::link(dir.path() + "/precious", parent() + "/.Vesk-update"));
    EXPECT_EQ(replace(), "");
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/precious/keep"));
    EXPECT_FALSE(QFileInfo(parent() + "/.Vesk-update").isSymLink());
}

TEST(UpdatesFolderTest, PrivateAndOurs)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/cache/vesk/updates";
    EXPECT_EQ(prepareUpdatesFolder(folder), "");
    EXPECT_EQ(QFileInfo(QString::fromStdString(folder)).permissions() & 0x7777,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser |
                  QFileDevice::WriteUser | QFileDevice::ExeUser);
    QFile::setPermissions(QString::fromStdString(folder), QFileDevice::Permissions(0x7755));
    EXPECT_EQ(prepareUpdatesFolder(folder), "");
    EXPECT_FALSE(QFileInfo(QString::fromStdString(folder)).permissions() & QFileDevice::ReadOther);
    const std::string link = dir.path().toStdString() + "/link";
    QFile::link(QString::fromStdString(folder), QString::fromStdString(link));
    EXPECT_NE(prepareUpdatesFolder(link), "");
}

}  // namespace
