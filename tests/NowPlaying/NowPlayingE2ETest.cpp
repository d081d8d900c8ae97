// The built programs: vesk starts its companion through perl and starts it again after it ends;
// build/now-playing runs the service on the debug tracks and on a player of a session bus.
#include "CompanionProcess.h"
#include "TestMprisPlayer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

using nlohmann::json;
using vesk::test::waitFor;

namespace {

// The children of a process, from /proc.
std::vector<qint64> childrenOf(qint64 pid)
{
    std::vector<qint64> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 candidate = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // "PID (COMM) STATE PPID ...": the name may hold blanks and parentheses.
        const qsizetype close = text.lastIndexOf(')');
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == pid)
            children.push_back(candidate);
    }
    return children;
}

QStringList commandLine(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    QStringList words;
    for (const QByteArray &word : bytes.split('\0'))
        words << QString::fromUtf8(word);
    return words;
}

// An X server of the test's own: vesk's islands stay off the screen that other tests look at.
class PrivateDisplay {
public:
    PrivateDisplay()
    {
        server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                               QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                                               QStringLiteral("tcp")});
        QByteArray out;
        waitFor([&] {
            out += server_.readAllStandardOutput();
            return out.contains('\n') || server_.state() == QProcess::NotRunning;
        });
        if (out.contains('\n'))
            name_ = QStringLiteral(":") + QString::fromUtf8(out).trimmed();
    }
    ~PrivateDisplay()
    {
        server_.terminate();
        server_.waitForFinished(3000);
    }
    QString name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

const QString loader = QStringLiteral(
    "my $h = DynaLoader::dl_load_file($ARGV[0], 0) or die DynaLoader::dl_error();\n"
    "my $s = DynaLoader::dl_find_symbol($h, \"vesk_main\") or die \"vesk_main not found\";\n"
    "DynaLoader::dl_install_xsub(\"main::vesk_main\", $s);\n"
    "main::vesk_main();");

QProcessEnvironment isolated(const QTemporaryDir &home)
{
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.remove(QStringLiteral("VESK_DEBUG_MEDIA"));
    return environment;
}

}  // namespace

TEST(VeskCompanion, PerlRunsTheLibraryAndIsStartedAgainTwoSecondsAfterAKill)
{
    PrivateDisplay display;
    ASSERT_FALSE(display.name().isEmpty()) << "Xvfb did not start";
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("run")));
    QFile::setPermissions(home.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    auto environment = isolated(home);
    environment.insert(QStringLiteral("DISPLAY"), display.name());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    QProcess vesk;
    vesk.setProcessEnvironment(environment);
    vesk.setStandardOutputFile(QProcess::nullDevice());
    vesk.setStandardErrorFile(QProcess::nullDevice());
    vesk.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
    ASSERT_TRUE(vesk.waitForStarted(5000));

    auto companion = [&]() -> std::optional<qint64> {
        for (qint64 child : childrenOf(vesk.processId())) {
            // Read once: a short-lived child may be gone by a second look.
            const QStringList words = commandLine(child);
            if (!words.isEmpty() && words.first() == QLatin1String("/usr/bin/perl"))
                return child;
        }
        return std::nullopt;
    };
    std::optional<qint64> first;
    ASSERT_TRUE(waitFor([&] { return (first = companion()).has_value(); }));
    const QString library = QFileInfo(QStringLiteral(VESK_BUILD_DIR "/TrackWatch.so")).canonicalFilePath();
    EXPECT_EQ(commandLine(*first), (QStringList{QStringLiteral("/usr/bin/perl"), QStringLiteral("-MDynaLoader"),
                                                QStringLiteral("-e"), loader, library}));

    vesk::test::signalProcess(*first, SIGKILL);
    QElapsedTimer since;
    since.start();
    std::optional<qint64> second;
    ASSERT_TRUE(waitFor([&] {
        second = companion();
        return second && *second != *first;
    }));
    // 2.0 s after its end, with room for a loaded machine.
    EXPECT_GE(since.elapsed(), 1900);
    EXPECT_LT(since.elapsed(), 4000);
    EXPECT_EQ(commandLine(*second).size(), 5);

    vesk.terminate();
    EXPECT_TRUE(vesk.waitForFinished(5000));
}

namespace {

class NowPlayingTool : public ::testing::Test {
protected:
    void start(const QProcessEnvironment &environment)
    {
        tool.setProcessEnvironment(environment);
        tool.setStandardErrorFile(QProcess::nullDevice());
        tool.start(QStringLiteral(VESK_BUILD_DIR "/now-playing"), {});
        ASSERT_TRUE(tool.waitForStarted(5000));
    }
    void send(const char *line)
    {
        tool.write(line);
        tool.write("\n");
    }
    // Waits for an output line that `match` accepts.
    std::optional<json> lineWhere(const std::function<bool(const json &)> &match, int timeoutMs = 10000)
    {
        std::optional<json> found;
        waitFor([&] {
            while (tool.canReadLine()) {
                raw.push_back(tool.readLine().toStdString());
                const json line = json::parse(raw.back(), nullptr, false);
                if (!found && match(line))
                    return found = line, true;
            }
            return found.has_value();
        }, timeoutMs);
        return found;
    }
    static bool titled(const json &line, const std::string &title)
    {
        return line.is_object() && line["track"].is_object() && line["track"]["title"] == title;
    }

    QTemporaryDir home;
    QProcess tool;
    std::vector<std::string> raw;
};

}  // namespace

TEST_F(NowPlayingTool, StepsThroughTheDebugTracksAndPrintsEveryField)
{
    QFile tracks(home.filePath(QStringLiteral("tracks.json")));
    ASSERT_TRUE(tracks.open(QIODevice::WriteOnly));
    tracks.write(R"([{"title":"One","artist":"A","album":"X","duration":200,"elapsed":10,"shuffle":3},
                     {"title":"Two"},{"title":"Three","explicit":true}])");
    tracks.close();
    auto environment = isolated(home);
    environment.insert(QStringLiteral("VESK_DEBUG_MEDIA"), home.path());
    start(environment);

    send("print");
    const auto idle = lineWhere([](const json &line) { return line.is_object(); });
    ASSERT_TRUE(idle);
    // The fields in their documented order.
    size_t at = 0;
    for (const char *name : {"t", "track", "position", "artwork", "appIcon", "accent", "trackVersion", "titleVersion",
                             "artistVersion", "artworkVersion", "companion", "restarts", "pinned"}) {
        const size_t found = raw.back().find("\"" + std::string(name) + "\":");
        ASSERT_NE(found, std::string::npos) << name;
        EXPECT_GE(found, at) << name;
        at = found;
    }
    EXPECT_TRUE((*idle)["track"].is_null());
    EXPECT_EQ((*idle)["companion"], "debug");
    EXPECT_EQ((*idle)["accent"], "#FFFFFF");
    EXPECT_EQ((*idle)["pinned"], "none");

    send("debugtrack -1");
    const auto third = lineWhere([](const json &line) { return titled(line, "Three"); });
    ASSERT_TRUE(third);
    const json &track = (*third)["track"];
    for (const char *field : {"title", "artist", "album", "duration", "elapsed", "timestamp", "rate", "isPlaying",
                              "bundleID", "isExplicit", "shuffleMode", "repeatMode", "isLiked"})
        EXPECT_TRUE(track.contains(field)) << field;
    EXPECT_EQ(track.size(), 13u);
    EXPECT_EQ(track["isExplicit"], true);
    EXPECT_EQ(track["isPlaying"], true);
    EXPECT_TRUE(track["bundleID"].is_null());
    EXPECT_TRUE((*third)["position"].is_number());

    send("send next");  // wraps to the first, committed 0.7 s later without artwork
    const auto first = lineWhere([](const json &line) { return titled(line, "One"); });
    ASSERT_TRUE(first);
    EXPECT_EQ((*first)["track"]["shuffleMode"], 3);
    EXPECT_EQ((*first)["titleVersion"], 2);

    send("seek 30");
    ASSERT_TRUE(lineWhere([](const json &line) { return titled(line, "One") && line["track"]["elapsed"] == 30.0; }));
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(5000));
    EXPECT_EQ(tool.exitCode(), 0);
}

TEST_F(NowPlayingTool, ShowsAndCommandsAPlayerOfTheBusThroughTheCompanion)
{
    // A bus of the test's own: the companion follows whichever player started last.
    vesk::test::PrivateBus bus;
    ASSERT_TRUE(bus.isUp()) << "dbus-daemon did not start";
    vesk::test::TestMprisPlayer player(QStringLiteral("vesktool"), bus.address());
    ASSERT_TRUE(player.isRegistered());
    player.setTracks({{QStringLiteral("Bus Song"), {QStringLiteral("Ann")}, QStringLiteral("LP"), 100'000'000, {}},
                      {QStringLiteral("Next Song"), {QStringLiteral("Bo")}, QStringLiteral("LP"), 90'000'000, {}}});
    player.setPlaybackStatus(QStringLiteral("Playing"));
    auto environment = isolated(home);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    start(environment);

    const auto shown = lineWhere([](const json &line) { return titled(line, "Bus Song"); });
    ASSERT_TRUE(shown);
    EXPECT_EQ((*shown)["companion"], "running");
    EXPECT_EQ((*shown)["track"]["artist"], "Ann");
    EXPECT_EQ((*shown)["track"]["duration"], 100.0);

    send("send next");
    EXPECT_TRUE(lineWhere([](const json &line) { return titled(line, "Next Song"); }));
    EXPECT_TRUE(player.calls.contains(QStringLiteral("Next")));
    send("playpause");
    EXPECT_TRUE(waitFor([&] { return player.playbackStatus() == QLatin1String("Paused"); }));
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(5000));
    EXPECT_EQ(tool.exitCode(), 0);
}
