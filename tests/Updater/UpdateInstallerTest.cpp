#include "UpdaterTestSupport.h"

#include "TestSupport.h"
#include "Updater/UpdateInstaller.h"
#include "Updater/UpdateTexts.h"

#include <QFile>

#include <zlib.h>

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

// `bytes` in gzip framing, as `members` gzip members one after the other.
QByteArray gzip(const QByteArray &bytes, int members = 1)
{
    QByteArray out;
    const qsizetype step = (bytes.size() + members - 1) / members;
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        z_stream z{};
        EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
        QByteArray piece = bytes.mid(at, step);
        QByteArray member(qsizetype(deflateBound(&z, uLong(piece.size()))), '\0');
        z.next_in = reinterpret_cast<Bytef *>(piece.data());
        z.avail_in = uInt(piece.size());
        z.next_out = reinterpret_cast<Bytef *>(member.data());
        z.avail_out = uInt(member.size());
        EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        member.resize(qsizetype(z.total_out));
        deflateEnd(&z);
        out += member;
    }
    return out;
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
        writeFile(QString::fromStdString(archive()), archiveBytes);
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
        return {(parent() + "/Vesk").toStdString(), archive(), hexOf(archiveBytes), 6, 5};
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

    // Another verified archive in place of the default one, whose bytes only the tar stand-in reads.
    void setArchive(const QByteArray &bytes)
    {
        archiveBytes = bytes;
        writeFile(QString::fromStdString(archive()), archiveBytes);
    }

    QTemporaryDir dir;
    QByteArray archiveBytes = "archive bytes";
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
        if (c.message == update_texts::couldNotInstall()) {
            EXPECT_EQ(log.lines, std::vector<std::string>{"Vesk: update install failed: tar: broken archive"});
        }
    }
}

TEST(InflatedSizeTest, CountsEveryMemberAndStopsPastTheLimit)
{
    const QByteArray zeros(3 << 20, '\0');
    const std::string one = gzip(zeros).toStdString(), three = gzip(zeros, 3).toStdString();
    EXPECT_LT(one.size(), 8u << 10);
    EXPECT_EQ(inflatedSize(one, 10u << 20), 3u << 20);
    EXPECT_EQ(inflatedSize(three, 10u << 20), 3u << 20);
    const std::uint64_t stopped = inflatedSize(one, 1u << 20);
    EXPECT_GT(stopped, 1u << 20);
    EXPECT_LE(stopped, (1u << 20) + (64u << 10));
    EXPECT_EQ(inflatedSize("not gzip at all", 10u << 20), 0u);
    EXPECT_EQ(inflatedSize(one.substr(0, one.size() / 2), 10u << 20) < (3u << 20), true);
}

TEST_F(UpdateInstallerTest, AnArchiveThatUnpacksBeyondTheRoomIsRefusedBeforeTar)
{
    // A signed archive of a few kilobytes that would fill the disk.
    setArchive(gzip(QByteArray(8 << 20, '\0')));
    struct Case {
        const char *what;
        std::optional<std::uint64_t> free;
        std::uint64_t cap;
        bool unpacks;
    };
    const std::uint64_t margin = 64ULL << 20;
    const std::vector<Case> cases = {
        {"too little free room", margin + (4 << 20), 2ULL << 30, false},
        {"room, but over the cap", 100ULL << 30, 4 << 20, false},
        {"room to spare", margin + (9 << 20), 2ULL << 30, true},
        {"free room unknown, under the cap", std::nullopt, 16 << 20, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        swaps.clear();
        QDir(parent() + "/.Vesk-update").removeRecursively();
        env.freeSpace = [&](const std::string &folder) {
            EXPECT_EQ(folder, parent().toStdString());
            return c.free;
        };
        env.maxUnpackedBytes = c.cap;
        CapturedLog log;
        if (c.unpacks) {
            EXPECT_EQ(replace(), "");
            EXPECT_EQ(calls.size(), 1u);
            continue;
        }
        EXPECT_EQ(replace(), update_texts::couldNotInstall());
        EXPECT_TRUE(calls.empty());
        EXPECT_TRUE(swaps.empty());
        EXPECT_EQ(leftovers(), (QStringList{"Vesk", "Vesk-decoy"}));
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].rfind("Vesk: update install failed: the archive unpacks to more than", 0), 0u) << log.lines[0];
    }
}

TEST_F(UpdateInstallerTest, FoldersLeftByAKilledInstallAreRemoved)
{
    writeFile(parent() + "/.Vesk-unpack-0b3f/Vesk/bin/vesk", "half");
    writeFile(parent() + "/.Vesk-unpack-77/Vesk/Info.json", info("6"));
    writeFile(parent() + "/.Vesk-update/bin/vesk", "staged");
    writeFile(parent() + "/.Vesk-previous/bin/vesk", "may be what runs");
    writeFile(dir.path() + "/precious/keep", "x");
    ASSERT_TRUE(QFile::link(dir.path() + "/precious", parent() + "/.Vesk-unpack-link"));
    CapturedLog log;
    removeStaleInstallFolders((parent() + "/Vesk").toStdString());
    EXPECT_EQ(leftovers(), (QStringList{".Vesk-previous", "Vesk", "Vesk-decoy"}));
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/precious/keep"));
    EXPECT_EQ(log.lines.size(), 4u);

    // Beside a tree that is not ours, nothing is touched.
    writeFile(parent() + "/.Vesk-unpack-1/x", "x");
    QFile::remove(parent() + "/Vesk/Info.json");
    removeStaleInstallFolders((parent() + "/Vesk").toStdString());
    EXPECT_TRUE(QFileInfo::exists(parent() + "/.Vesk-unpack-1/x"));
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
