// The tree that `make bundle` lays out, started from a folder of its own with the update switches
// pointing at a loopback server, finds a newer signed release of itself, replaces itself and comes
// back from the same path.
#include "SigningKeySupport.h"
#include "TestSupport.h"
#include "UpdateServerSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <csignal>

using namespace vesk;
using namespace vesk::test;

namespace {

bool run(const QString &program, const QStringList &args, int timeoutMs = 600000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    return p.waitForFinished(timeoutMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The processes whose program is the file at `path`.
std::vector<qint64> processesOf(const QString &path)
{
    std::vector<qint64> found;
    const QString wanted = QFileInfo(path).canonicalFilePath();
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && QFileInfo(QStringLiteral("/proc/%1/exe").arg(entry)).canonicalFilePath() == wanted)
            found.push_back(pid);
    }
    return found;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(UpdaterE2ETest, TheBundleReplacesItselfAndComesBack)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs the X server of scripts/run-tests";
    ASSERT_TRUE(run(QStringLiteral("cmake"), {"--build", VESK_BUILD_DIR, "--target", "bundle"}));
    const QString made = QStringLiteral(VESK_BUILD_DIR "/bundle/Vesk");
    const nlohmann::json info = nlohmann::json::parse(readAll(made + "/Info.json").toStdString());
    ASSERT_EQ(info["identifier"], "example.vesk.Vesk");

    QTemporaryDir home;
    const QString apps = home.path() + "/My Apps";
    const QString bundle = apps + "/Vesk";
    ASSERT_TRUE(QDir().mkpath(apps));
    ASSERT_TRUE(run(QStringLiteral("/bin/cp"), {"-a", made, bundle}));

    // The next release: the same tree at a build above the running one.
    const QString release = home.path() + "/release";
    ASSERT_TRUE(QDir().mkpath(release));
    ASSERT_TRUE(run(QStringLiteral("/bin/cp"), {"-a", made, release + "/Vesk"}));
    nlohmann::json next = info;
    next["build"] = std::to_string(std::stoll(info["build"].get<std::string>()) + 2);
    {
        QFile file(release + "/Vesk/Info.json");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray::fromStdString(next.dump()));
    }
    ASSERT_TRUE(run(QStringLiteral("/bin/tar"), {"-c", "-z", "-f", release + ".tar.gz", "-C", release, "Vesk"}));
    const QByteArray archive = readAll(release + ".tar.gz");

    UpdateServer server;
    SigningKey key;
    server.serve("/Vesk-next.tar.gz", {archive});
    const nlohmann::json manifest = {{"version", "9.9"},
                                     {"build", std::stoll(next["build"].get<std::string>())},
                                     {"url", server.url("/Vesk-next.tar.gz").toStdString()},
                                     {"sha256", hexDigest(sha256Digest(archive.toStdString()))},
                                     {"signature", key.signDigestOf(archive)},
                                     {"notes", {"Back from the same path"}}};
    server.serve("/update.json", {QByteArray::fromStdString(manifest.dump())});

    QDir().mkpath(home.path() + "/config/vesk");
    {
        QFile settings(home.path() + "/config/vesk/settings.json");
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("{\"hasSeenOnboarding\": true}");
    }
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + "/cache");
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("VESK_DEBUG_UPDATE"), QStringLiteral("check"));
    env.insert(QStringLiteral("VESK_DEBUG_UPDATE_URL"), server.url("/update.json"));
    env.insert(QStringLiteral("VESK_DEBUG_UPDATE_KEY"), QString::fromStdString(key.publicBase64()));
    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(bundle + "/bin/vesk", {});
    ASSERT_TRUE(first.waitForStarted(10000));
    const qint64 firstPid = first.processId();

    // Checks 5 s after launch, counts down 8 s, quits; the swap starts the new tree.
    const bool replaced = waitFor([&] { return readAll(bundle + "/Info.json") == QByteArray::fromStdString(next.dump()); },
                                  90000);
    EXPECT_TRUE(replaced);
    EXPECT_TRUE(first.state() == QProcess::NotRunning || first.waitForFinished(10000));  // it quit by itself
    std::vector<qint64> again;
    EXPECT_TRUE(waitFor([&] {
        again = processesOf(bundle + "/bin/vesk");
        return !again.empty();
    }, 20000));
    for (qint64 pid : again) {
        EXPECT_NE(pid, firstPid);
        vesk::test::signalProcess(pid, SIGTERM);
    }
    waitFor([&] { return processesOf(bundle + "/bin/vesk").empty(); }, 10000);
    if (first.state() != QProcess::NotRunning)
        first.kill();
    EXPECT_EQ(QDir(apps).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"Vesk"});
}

}  // namespace
