// The whole update against a server on the loopback interface, with Qt's network access, real
// worker threads, /bin/tar and the swap run by /bin/sh: trees whose paths hold the characters the
// shell treats specially are replaced and started again, a failed rename rolls back, and
// archives that are cut off, corrupt or of the wrong build change nothing.
#include "SigningKeySupport.h"

#include "Platform/sim/SimBundleInfo.h"
#include "TestSupport.h"
#include "Updater/UpdateTexts.h"
#include "Updater/UpdateInstaller.h"
#include "Updater/UpdateTransport.h"
#include "Updater/Updater.h"

#include "UpdateServerSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>


using namespace vesk;
using namespace vesk::test;
using Phase = Updater::Phase;

namespace {

QByteArray bundleInfo(int build)
{
    return QByteArray::fromStdString(
        nlohmann::json{{"identifier", BundleInfo::identifier}, {"version", "1." + std::to_string(build)},
                       {"build", std::to_string(build)}}
            .dump());
}

void writeFile(const QString &path, const QByteArray &bytes, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

// A tree of ours at `build` whose bin/vesk stands in for the program: started, it appends its
// name and folder to `record`.
void writeTree(const QString &root, int build, const QString &record)
{
    writeFile(root + "/Info.json", bundleInfo(build));
    writeFile(root + "/bin/vesk",
              "#!/bin/sh\nprintf '%s %s\\n' \"build-" + QByteArray::number(build) + "\" \"$0\" >> '" + record.toUtf8() +
                  "'\n",
              true);
}

class UpdaterIntegrationTest : public ::testing::Test {
protected:
    UpdaterIntegrationTest()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        parent = home.path() + "/Apps with \"quotes\" $HOME `date` back\\slash";
        bundlePath = parent + "/Vesk";
        record = home.path() + "/started";
        writeTree(bundlePath, 5, record);
        writeTree(parent + "/Vesk-decoy", 5, record);
        // The "running" program: the swap waits for it to end.
        running.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")});
        running.waitForStarted();
    }
    ~UpdaterIntegrationTest() override
    {
        updater_.reset();
        running.kill();
        running.waitForFinished();
    }

    // An archive holding `Vesk/` at `build`, made with tar.
    QByteArray archiveOf(int build)
    {
        const QString staging = home.path() + "/release-" + QString::number(build);
        writeTree(staging + "/Vesk", build, record);
        const QString out = staging + ".tar.gz";
        EXPECT_EQ(QProcess::execute(QStringLiteral("/bin/tar"), {"-c", "-z", "-f", out, "-C", staging, "Vesk"}), 0);
        QFile file(out);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    void publish(const QByteArray &archive, UpdateServer::Answer answer = {}, long long build = 6)
    {
        answer.body = archive;
        server.serve("/Vesk-6.tar.gz", answer);
        const nlohmann::json manifest = {{"version", "1.6"},
                                         {"build", build},
                                         {"url", server.url("/Vesk-6.tar.gz").toStdString()},
                                         {"sha256", hexDigest(sha256Digest(archive.toStdString()))},
                                         {"signature", key.signDigestOf(archive)},
                                         {"notes", {"Faster"}}};
        server.serve("/update.json", {QByteArray::fromStdString(manifest.dump())});
    }
    Updater &updater()
    {
        if (!updater_) {
            Updater::Config c = Updater::Config::live();
            c.transport = makeQtUpdateTransport();  // the network module's, made here directly
            c.manifestUrl = QUrl(server.url("/update.json"));
            c.publicKey = key.publicBase64();
            c.bundle = &bundle;
            c.folder = (home.path() + "/cache/vesk/updates").toStdString();
            c.install.processID = running.processId();
            c.install.isWritable = [](const std::string &) { return true; };
            c.install.openArchive = [](const std::string &) {};
            c.debugSwitch = std::nullopt;
            updater_ = std::make_unique<Updater>(std::move(c));
            updater_->useSettings({boolSetting("automaticUpdates"), boolSetting("installUpdatesAutomatically")});
            updater_->quitGracefully = [this] {
                ++quits;
                running.kill();  // the application ends; the swap goes on
            };
        }
        return *updater_;
    }
    // Checks and installs; true once the phase is ready (and the install was asked for).
    bool downloadAndInstall()
    {
        updater().check(true);
        if (!waitFor([&] { return updater().phase().peek().kind == Phase::Case::ready; }, 15000))
            return false;
        updater().install();
        return true;
    }
    QString started() const
    {
        QFile file(record);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QStringList siblings() const
    {
        return QDir(parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString buildAt(const QString &root) const
    {
        QFile file(root + "/Info.json");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir home;
    QString parent, bundlePath, record;
    QProcess running;
    UpdateServer server;
    SigningKey key;
    SimBundleInfo bundle{std::nullopt, "1.5", "5"};
    int quits = 0;

private:
    std::unique_ptr<Updater> updater_;
};

TEST_F(UpdaterIntegrationTest, ATreeWithAnAwkwardPathIsReplacedAndStartedAgain)
{
    bundle.setPath(bundlePath.toStdString());
    publish(archiveOf(6));
    ASSERT_TRUE(downloadAndInstall());
    EXPECT_EQ(updater().phase().peek(), Phase::installing("1.6"));
    ASSERT_TRUE(waitFor([&] { return !started().isEmpty(); }, 20000)) << updater().phase().peek().message;
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(started(), "build-6 " + bundlePath + "/bin/vesk\n");
    EXPECT_EQ(buildAt(bundlePath), bundleInfo(6));
    EXPECT_EQ(buildAt(parent + "/Vesk-decoy"), bundleInfo(5));
    ASSERT_TRUE(waitFor([&] { return siblings() == QStringList({"Vesk", "Vesk-decoy"}); }));
}

TEST_F(UpdaterIntegrationTest, AFailedSecondRenameBringsTheOldTreeBack)
{
    bundle.setPath(bundlePath.toStdString());
    publish(archiveOf(6));
    updater().quitGracefully = [this] {
        ++quits;
        // The staged tree vanishes before the swap gets to it.
        QDir(parent + "/.Vesk-update").removeRecursively();
        running.kill();
    };
    ASSERT_TRUE(downloadAndInstall());
    ASSERT_TRUE(waitFor([&] { return !started().isEmpty(); }, 20000)) << updater().phase().peek().message;
    EXPECT_EQ(started(), "build-5 " + bundlePath + "/bin/vesk\n");
    EXPECT_EQ(buildAt(bundlePath), bundleInfo(5));
    ASSERT_TRUE(waitFor([&] { return siblings() == QStringList({"Vesk", "Vesk-decoy"}); }));
}

TEST_F(UpdaterIntegrationTest, ATreeOfAnotherBuildIsRefused)
{
    bundle.setPath(bundlePath.toStdString());
    publish(archiveOf(4));  // a signed old release under a newer manifest
    ASSERT_TRUE(downloadAndInstall());
    ASSERT_TRUE(waitFor([&] { return updater().phase().peek().kind == Phase::Case::failed; }, 15000));
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::notVerified));
    EXPECT_EQ(siblings(), QStringList({"Vesk", "Vesk-decoy"}));
    EXPECT_EQ(quits, 0);
}

TEST_F(UpdaterIntegrationTest, ACorruptArchiveIsLoggedAndLeavesNothing)
{
    bundle.setPath(bundlePath.toStdString());
    publish("signed, but not a gzip archive");
    CapturedLog log;
    ASSERT_TRUE(downloadAndInstall());
    ASSERT_TRUE(waitFor([&] { return updater().phase().peek().kind == Phase::Case::failed; }, 15000));
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::couldNotInstall()));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Vesk: update install failed: ", 0), 0u) << log.lines[0];
    EXPECT_NE(log.lines[0].find("tar"), std::string::npos);
    EXPECT_EQ(siblings(), QStringList({"Vesk", "Vesk-decoy"}));
}

TEST_F(UpdaterIntegrationTest, ACutOffTransferLeavesNoFile)
{
    const QByteArray archive = archiveOf(6);
    publish(archive, {.cutAfter = archive.size() / 2});
    updater().check(false);
    ASSERT_TRUE(waitFor([&] { return updater().phase().peek() == Phase::idle(); }, 15000));
    EXPECT_EQ(QDir(home.path() + "/cache/vesk/updates").entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(UpdaterIntegrationTest, AnAbandonedTransferClosesItsConnection)
{
    // Past the manifest's cap, or past the archive's announced size, the updater gives up; the
    // server must then see the connection close rather than the body read on at full speed.
    const QByteArray archive = archiveOf(6);
    nlohmann::json manifest = {{"version", "1.6"},
                               {"build", 6},
                               {"url", server.url("/Vesk-6.tar.gz").toStdString()},
                               {"sha256", hexDigest(sha256Digest(archive.toStdString()))},
                               {"signature", key.signDigestOf(archive)},
                               {"size", archive.size()}};
    struct Case {
        const char *what;
        QString endless;
    };
    for (const Case &c : {Case{"manifest", "/update.json"}, Case{"archive", "/Vesk-6.tar.gz"}}) {
        SCOPED_TRACE(c.what);
        server.serve("/update.json", {QByteArray::fromStdString(manifest.dump())});
        server.serve(c.endless, {.endless = true});
        updater().check(true);
        ASSERT_TRUE(waitFor([&] { return updater().phase().peek().kind == Phase::Case::failed; }, 15000));
        EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::noConnection));
        const auto stream = server.stream(c.endless);
        ASSERT_TRUE(stream);
        EXPECT_TRUE(waitFor([&] { return stream->closed; }, 1000)) << stream->sent << " bytes sent and counting";
        EXPECT_LT(stream->sent, 64 << 20);
    }
    EXPECT_EQ(QDir(home.path() + "/cache/vesk/updates").entryList(QDir::Files | QDir::Hidden), QStringList());
}

bool isAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.mid(close + 2, 1) != "Z";
}

TEST(RunToolIntegrationTest, AToolDiesWithTheProcessThatRunsIt)
{
    // Played by this test program started again: it runs a tool that writes down its pid and
    // sleeps, as tar unpacks while the install worker waits for it.
    if (const char *record = std::getenv("VESK_TEST_TOOL_RECORD")) {
        runTool("/bin/sh", {"-c", std::string("echo $$ > '") + record + "'; exec sleep 60"});
        return;
    }
    QTemporaryDir dir;
    const QString record = dir.path() + "/pid";
    QProcess caller;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VESK_TEST_TOOL_RECORD"), record);
    caller.setProcessEnvironment(env);
    caller.start(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(),
                 {QStringLiteral("--gtest_filter=RunToolIntegrationTest.AToolDiesWithTheProcessThatRunsIt")});
    ASSERT_TRUE(caller.waitForStarted(10000));
    qint64 tool = 0;
    ASSERT_TRUE(waitFor([&] {
        QFile file(record);
        tool = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
        return tool > 0;
    }));
    ASSERT_TRUE(isAlive(tool));
    caller.kill();  // kill -9, as a crash would
    caller.waitForFinished();
    EXPECT_TRUE(waitFor([&] { return !isAlive(tool); }, 2000));
    if (isAlive(tool))
        signalProcess(tool, SIGKILL);
}

TEST_F(UpdaterIntegrationTest, WithoutALengthProgressStaysAtZeroUntilReady)
{
    publish(archiveOf(6), {.withLength = false});
    std::vector<double> progress;
    auto watch = updater().phase().observe([&] {
        if (updater().phase().peek().kind == Phase::Case::downloading)
            progress.push_back(updater().phase().peek().progress);
    });
    updater().check(false);
    ASSERT_TRUE(waitFor([&] { return updater().phase().peek().kind == Phase::Case::ready; }, 15000));
    EXPECT_EQ(progress, std::vector<double>{0});
    EXPECT_EQ(QDir(home.path() + "/cache/vesk/updates").entryList(QDir::Files), QStringList{"Vesk-6.tar.gz"});
}

}  // namespace
