// TrackWatch as the application runs it: perl loading the library, a test MPRIS player on a
// session bus of the test's own, commands in, JSON lines out.
#include "CompanionProcess.h"
#include "TestMprisPlayer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QDateTime>

#include <gtest/gtest.h>

using vesk::test::CompanionProcess;
using vesk::test::PrivateBus;
using vesk::test::TestMprisPlayer;
using vesk::test::TestTrack;
using vesk::test::waitFor;
using Json = nlohmann::json;

namespace {

const QByteArray kPng = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray("test artwork bytes / with a slash", 33);

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName();
}

bool hasTitle(const Json &line, const std::string &title)
{
    return line.is_object() && line.value("title", std::string()) == title;
}

class TrackWatchIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isUp()) << "dbus-daemon did not start"; }

    // A registered player with two tracks, the first of them current.
    std::unique_ptr<TestMprisPlayer> makePlayer(const QString &suffix, const QString &status)
    {
        auto player = std::make_unique<TestMprisPlayer>(suffix, bus.address());
        EXPECT_TRUE(player->isRegistered());
        player->setTracks({{QStringLiteral("First Song"), {QStringLiteral("Ann"), QStringLiteral("Bo")},
                            QStringLiteral("Side A/B"), 200'000'000, QUrl::fromLocalFile(artPath).toString()},
                           {QStringLiteral("Second Song"), {QStringLiteral("Cy")}, QStringLiteral("B"), 90'000'000, {}}});
        player->setPlaybackStatus(status);
        return player;
    }

    PrivateBus bus;
    QTemporaryDir dir;
    QString artPath = writeFile(dir, QStringLiteral("cover.png"), kPng);
};

TEST_F(TrackWatchIntegrationTest, NothingPlayingAtStartGivesTheEmptyForm)
{
    CompanionProcess companion(bus.address());
    ASSERT_GE(companion.waitForLine([](const Json &) { return true; }), 0);
    EXPECT_EQ(companion.lines().front().text, R"({"empty":true})");
}

TEST_F(TrackWatchIntegrationTest, PlayingPlayerIsReportedWithArtworkThenArtworkSame)
{
    auto player = makePlayer(QStringLiteral("alpha"), QStringLiteral("Playing"));
    player->setDesktopEntry(QStringLiteral("org.vesk.TestPlayer"));
    player->setPositionMicros(12'000'000);
    CompanionProcess companion(bus.address());

    int first = companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song"); });
    ASSERT_GE(first, 0);
    const auto &line = companion.lines()[first];
    const Json &j = line.json;
    EXPECT_EQ(j["artist"], "Ann, Bo");
    EXPECT_EQ(j["album"], "Side A/B");
    EXPECT_DOUBLE_EQ(j["duration"].get<double>(), 200.0);
    EXPECT_TRUE(j["playing"].get<bool>());
    EXPECT_DOUBLE_EQ(j["rate"].get<double>(), 1.0);
    EXPECT_EQ(j["bundleID"], "org.vesk.TestPlayer");
    EXPECT_GE(j["elapsed"].get<double>(), 12.0);
    EXPECT_LT(j["elapsed"].get<double>(), 20.0);
    EXPECT_NEAR(j["timestamp"].get<double>(), double(QDateTime::currentMSecsSinceEpoch()) / 1000.0, 30.0);
    EXPECT_EQ(j["artwork"], kPng.toBase64().toStdString());
    EXPECT_FALSE(j.contains("artworkSame"));
    // Slashes in strings are escaped, as the platform serializer writes them.
    EXPECT_NE(line.text.find(R"("album":"Side A\/B")"), std::string::npos) << line.text;

    companion.send("refresh now\n");
    int again = companion.waitForLine([](const Json &l) { return l.is_object() && l.contains("artworkSame"); }, first + 1);
    ASSERT_GE(again, 0);
    EXPECT_EQ(companion.lines()[again].json["artworkSame"], true);
    EXPECT_FALSE(companion.lines()[again].json.contains("artwork"));
}

TEST_F(TrackWatchIntegrationTest, CommandsReachThePlayerAndAreReported)
{
    auto player = makePlayer(QStringLiteral("alpha"), QStringLiteral("Playing"));
    CompanionProcess companion(bus.address());
    ASSERT_GE(companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song"); }), 0);

    int from = int(companion.lines().size());
    companion.send("cmd 1\n");
    int paused = companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song") && l["playing"] == false; }, from);
    ASSERT_GE(paused, 0);
    EXPECT_EQ(player->playbackStatus(), "Paused");
    EXPECT_DOUBLE_EQ(companion.lines()[paused].json["rate"].get<double>(), 0.0);

    from = int(companion.lines().size());
    companion.send("seek 30.5\n");
    ASSERT_TRUE(waitFor([&] { return player->positionMicros() == 30'500'000; }));
    EXPECT_GE(companion.waitForLine([](const Json &l) { return l.value("elapsed", 0.0) == 30.5; }, from), 0);

    from = int(companion.lines().size());
    companion.send("shuffle x\n");
    ASSERT_TRUE(waitFor([&] { return player->shuffle(); }));
    int shuffled = companion.waitForLine([](const Json &l) { return l.value("shuffle", 0) == 3; }, from);
    ASSERT_GE(shuffled, 0);

    companion.send("repeat 3\n");
    ASSERT_TRUE(waitFor([&] { return player->loopStatus() == "Playlist"; }));

    // Like has no counterpart on the bus; an unknown word in capitals sends nothing; both still
    // bring a report.
    player->calls.clear();
    from = int(companion.lines().size());
    companion.send("cmd 21\n");
    ASSERT_GE(companion.waitForLine([](const Json &) { return true; }, from), 0);
    from = int(companion.lines().size());
    companion.send("CMD 0\n");
    int reported = companion.waitForLine([](const Json &) { return true; }, from);
    ASSERT_GE(reported, 0);
    EXPECT_TRUE(player->calls.isEmpty()) << player->calls.join(u',').toStdString();
    EXPECT_EQ(companion.lines()[reported].json["shuffle"], 3);  // the mode memory outlives other lines
    EXPECT_EQ(companion.lines()[reported].json["repeat"], 3);

    // A third word is ignored; the next track is reported without the first track's artwork.
    from = int(companion.lines().size());
    companion.send("cmd 4 extra\n");
    int next = companion.waitForLine([](const Json &l) { return hasTitle(l, "Second Song"); }, from);
    ASSERT_GE(next, 0);
    EXPECT_FALSE(companion.lines()[next].json.contains("artwork"));
    EXPECT_FALSE(companion.lines()[next].json.contains("artworkSame"));
}

TEST_F(TrackWatchIntegrationTest, LongLineIsReadInPiecesOf255Bytes)
{
    auto player = makePlayer(QStringLiteral("alpha"), QStringLiteral("Playing"));
    CompanionProcess companion(bus.address());
    ASSERT_GE(companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song"); }), 0);
    // Read whole, this would be one word and do nothing; cut at 255 bytes, the rest is "cmd 1".
    companion.send(std::string(255, 'x') + "cmd 1\n");
    EXPECT_TRUE(waitFor([&] { return player->playbackStatus() == "Paused"; }));
}

TEST_F(TrackWatchIntegrationTest, StartWritesOneLineWithoutWaitingForQuiet)
{
    auto player = makePlayer(QStringLiteral("alpha"), QStringLiteral("Paused"));
    CompanionProcess companion(bus.address());
    ASSERT_EQ(companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song"); }), 0);
    EXPECT_LT(companion.lines()[0].receivedMs, 3000);
    // A second line of the start would follow a debounce of 60 ms; a change made well after that
    // (the pacing is no wait for an event) must bring the second line.
    waitFor([&] { return companion.clock().elapsed() - companion.lines()[0].receivedMs >= 150; });
    player->setTitle(QStringLiteral("Later"));
    EXPECT_EQ(companion.waitForLine([](const Json &l) { return hasTitle(l, "Later"); }), 1);
}

TEST_F(TrackWatchIntegrationTest, BurstOfChangesGivesOneLineAfterTheQuiet)
{
    auto player = makePlayer(QStringLiteral("alpha"), QStringLiteral("Paused"));
    CompanionProcess companion(bus.address());
    ASSERT_GE(companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song"); }), 0);

    // Three changes 20 ms apart. On a loaded machine the bus may deliver a change so late that the
    // debounce of the one before has already run out: the report then shows the late change and
    // another line follows. Such an attempt says nothing and is made again; a debounce that is
    // wrong never gives a clean attempt.
    std::string last;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int from = int(companion.lines().size());
        const std::string prefix = "Burst " + std::to_string(attempt) + ".";
        qint64 lastChange = 0;
        qint64 longestGap = 0;
        for (int i = 1; i <= 3; ++i) {
            if (lastChange) {
                waitFor([&] { return companion.clock().elapsed() - lastChange >= 20; });  // pacing, not waiting
                longestGap = std::max(longestGap, companion.clock().elapsed() - lastChange);
            }
            player->setTitle(QString::fromStdString(prefix + std::to_string(i)));
            lastChange = companion.clock().elapsed();
        }
        const std::string title = prefix + "3";
        int burst = companion.waitForLine([&](const Json &l) { return hasTitle(l, title); }, from);
        ASSERT_GE(burst, 0);
        const qint64 delay = companion.lines()[burst].receivedMs - lastChange;

        // Any further line of the burst would come before the line of a later change.
        const std::string later = prefix + "after";
        player->setTitle(QString::fromStdString(later));
        int after = companion.waitForLine([&](const Json &l) { return hasTitle(l, later); }, burst);
        ASSERT_GE(after, 0);
        last = "gap " + std::to_string(longestGap) + " ms, delay " + std::to_string(delay) + " ms, "
            + std::to_string(after - from) + " lines for the burst";
        if (longestGap < 50 && burst == from && after == from + 1 && delay >= 60) {
            EXPECT_LE(delay, 1000);
            return;
        }
    }
    ADD_FAILURE() << "no attempt gave one line at least 60 ms after the burst; last: " << last;
}

TEST_F(TrackWatchIntegrationTest, ClosingInputEndsWithStatusZeroEvenWithAReportPending)
{
    CompanionProcess companion(bus.address());
    ASSERT_GE(companion.waitForLine([](const Json &) { return true; }), 0);
    companion.send("refresh now\n");
    companion.closeInput();
    ASSERT_TRUE(companion.waitForExit(2000));
    EXPECT_EQ(companion.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(companion.exitCode(), 0);
}

TEST_F(TrackWatchIntegrationTest, MissingFrameworkOrFunctionEndsWithItsStatusAndNoOutput)
{
    QFile::copy(QStringLiteral(VESK_BUILD_DIR "/TrackWatch.so"), dir.filePath(QStringLiteral("TrackWatch.so")));
    {
        CompanionProcess companion(bus.address(), dir.filePath(QStringLiteral("TrackWatch.so")));
        ASSERT_TRUE(companion.waitForExit());
        EXPECT_EQ(companion.exitCode(), 2);
        EXPECT_TRUE(companion.lines().empty());
    }
    QFile::copy(QStringLiteral(VESK_PARTIAL_MEDIAREMOTE), dir.filePath(QStringLiteral("MediaRemote.so")));
    CompanionProcess companion(bus.address(), dir.filePath(QStringLiteral("TrackWatch.so")));
    ASSERT_TRUE(companion.waitForExit());
    EXPECT_EQ(companion.exitCode(), 3);
    EXPECT_TRUE(companion.lines().empty());
}

TEST_F(TrackWatchIntegrationTest, WithoutASessionBusNothingIsPlayingAndItKeepsRunning)
{
    CompanionProcess companion{QString()};
    ASSERT_GE(companion.waitForLine([](const Json &) { return true; }), 0);
    EXPECT_EQ(companion.lines().front().text, R"({"empty":true})");
    companion.send("cmd 0\nseek 3\nshuffle x\n");
    EXPECT_GE(companion.waitForLine([](const Json &l) { return l.value("empty", false); }, 1), 1);
    EXPECT_TRUE(companion.isRunning());
}

TEST_F(TrackWatchIntegrationTest, NowPlayingFollowsTheMostRecentlyStartedPlayer)
{
    auto paused = makePlayer(QStringLiteral("aaa"), QStringLiteral("Paused"));
    paused->setTitle(QStringLiteral("Paused Song"));
    auto playing = makePlayer(QStringLiteral("bbb"), QStringLiteral("Playing"));
    playing->setTitle(QStringLiteral("Playing Song"));
    CompanionProcess companion(bus.address());
    // At start a playing player wins over one earlier in bus-name order.
    int line = companion.waitForLine([](const Json &) { return true; });
    ASSERT_GE(line, 0);
    EXPECT_TRUE(hasTitle(companion.lines()[line].json, "Playing Song")) << companion.lines()[line].text;

    paused->setPlaybackStatus(QStringLiteral("Playing"));
    line = companion.waitForLine([](const Json &l) { return hasTitle(l, "Paused Song") && l["playing"] == true; }, line + 1);
    ASSERT_GE(line, 0);

    // When nothing plays, the most recently active player with a track stays.
    playing->setPlaybackStatus(QStringLiteral("Paused"));
    playing->sync();
    paused->setPlaybackStatus(QStringLiteral("Paused"));
    line = companion.waitForLine([](const Json &l) { return hasTitle(l, "Paused Song") && l["playing"] == false; }, line + 1);
    ASSERT_GE(line, 0);

    // A player that leaves the bus is followed too; commands go to the one that remains.
    paused.reset();
    line = companion.waitForLine([](const Json &l) { return hasTitle(l, "Playing Song"); }, line + 1);
    ASSERT_GE(line, 0);
    companion.send("cmd 0\n");
    EXPECT_TRUE(waitFor([&] { return playing->playbackStatus() == "Playing"; }));
    playing.reset();
    EXPECT_GE(companion.waitForLine([](const Json &l) { return l.value("empty", false); }, line + 1), 0);
}

TEST_F(TrackWatchIntegrationTest, PlayersAppearingLaterAreFollowed)
{
    CompanionProcess companion(bus.address());
    ASSERT_GE(companion.waitForLine([](const Json &l) { return l.value("empty", false); }), 0);
    auto player = makePlayer(QStringLiteral("late"), QStringLiteral("Playing"));
    int line = companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song") && l["playing"] == true; });
    ASSERT_GE(line, 0);
    EXPECT_EQ(companion.lines()[line].json["bundleID"], "late");

    // The same name under a new owner, as when a player restarts.
    player.reset();
    player = makePlayer(QStringLiteral("late"), QStringLiteral("Paused"));
    player->setTitle(QStringLiteral("Restarted"));
    ASSERT_GE(companion.waitForLine([](const Json &l) { return hasTitle(l, "Restarted"); }, line + 1), 0);
    companion.send("cmd 2\n");
    EXPECT_TRUE(waitFor([&] { return player->playbackStatus() == "Playing"; }));
}

TEST_F(TrackWatchIntegrationTest, MetadataOfUnexpectedTypesIsSkippedKeyByKey)
{
    auto player = makePlayer(QStringLiteral("alpha"), QStringLiteral("Playing"));
    player->setRawMetadata({{QStringLiteral("xesam:title"), QStringLiteral(" ")},
                            {QStringLiteral("xesam:artist"), 42},
                            {QStringLiteral("xesam:album"), QStringLiteral("Kept")},
                            {QStringLiteral("mpris:length"), QStringLiteral("long")},
                            {QStringLiteral("mpris:artUrl"), 7}});
    CompanionProcess companion(bus.address());
    int line = companion.waitForLine([](const Json &l) { return l.is_object() && l.contains("title"); });
    ASSERT_GE(line, 0);
    const Json &j = companion.lines()[line].json;
    EXPECT_EQ(j["title"], " ");  // a title of one space is a track
    EXPECT_EQ(j["album"], "Kept");
    EXPECT_FALSE(j.contains("artist"));
    EXPECT_FALSE(j.contains("duration"));
    EXPECT_FALSE(j.contains("artwork"));
}

// Serves one file over HTTP to every request.
class OneFileServer : public QTcpServer {
public:
    explicit OneFileServer(QByteArray body) : body_(std::move(body))
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    ++requests;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\nContent-Length: "
                                  + QByteArray::number(body_.size()) + "\r\n\r\n" + body_);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/cover.png").arg(serverPort()); }
    int requests = 0;

private:
    QByteArray body_;
};

TEST_F(TrackWatchIntegrationTest, ArtworkIsFetchedOnceFromTheWebAndRefusedWhenNotAnImage)
{
    OneFileServer server(kPng);
    ASSERT_TRUE(server.isListening());
    auto player = std::make_unique<TestMprisPlayer>(QStringLiteral("alpha"), bus.address());
    ASSERT_TRUE(player->isRegistered());
    const QString notImage = writeFile(dir, QStringLiteral("cover.txt"), "plain text, not an image");
    QByteArray huge = kPng;
    huge.resize(4 * 1024 * 1024 + 1, 'x');
    const QString tooLarge = writeFile(dir, QStringLiteral("huge.png"), huge);
    player->setTracks({{QStringLiteral("Web"), {}, {}, 1'000'000, server.url()},
                       {QStringLiteral("Text"), {}, {}, 1'000'000, QUrl::fromLocalFile(notImage).toString()},
                       {QStringLiteral("Huge"), {}, {}, 1'000'000, QUrl::fromLocalFile(tooLarge).toString()},
                       {QStringLiteral("Gone"), {}, {}, 1'000'000, QStringLiteral("http://127.0.0.1:1/none.png")}});
    player->setPlaybackStatus(QStringLiteral("Playing"));
    CompanionProcess companion(bus.address());

    // The fetch ends after the first report; its end brings a line with the artwork.
    int web = companion.waitForLine([](const Json &l) { return hasTitle(l, "Web") && l.contains("artwork"); });
    ASSERT_GE(web, 0);
    EXPECT_EQ(companion.lines()[web].json["artwork"], kPng.toBase64().toStdString());
    companion.send("refresh now\n");
    ASSERT_GE(companion.waitForLine([](const Json &l) { return l.contains("artworkSame"); }, web + 1), 0);
    EXPECT_EQ(server.requests, 1);

    for (const char *title : {"Text", "Huge", "Gone"}) {
        int from = int(companion.lines().size());
        companion.send("cmd 4\n");
        int line = companion.waitForLine([&](const Json &l) { return hasTitle(l, title); }, from);
        ASSERT_GE(line, 0) << title;
        EXPECT_FALSE(companion.lines()[line].json.contains("artwork")) << title;
        EXPECT_FALSE(companion.lines()[line].json.contains("artworkSame")) << title;
    }
}

}  // namespace

namespace {
// Lines of "shuffle x shuffle x ...": read in pieces of 255 bytes, every piece is a command.
std::string commandFlood(int lines, std::size_t bytesPerLine)
{
    std::string line;
    while (line.size() < bytesPerLine)
        line += "shuffle x ";
    line += '\n';
    std::string flood;
    flood.reserve(line.size() * std::size_t(lines));
    for (int i = 0; i < lines; ++i)
        flood += line;
    return flood;
}
}  // namespace

TEST_F(TrackWatchIntegrationTest, CommandFloodWaitsInThePipeNotInMemory)
{
    // With a player every command is a call on the bus, slower than the input arrives. Paused, so
    // that the position stays where the seek puts it.
    auto player = makePlayer(QStringLiteral("alpha"), QStringLiteral("Paused"));
    CompanionProcess companion(bus.address());
    ASSERT_GE(companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song"); }), 0);
    // 40 MB of commands; handed over unbounded, with a timer each, they piled up in memory faster
    // than the bus calls were made, and so did calls the player had not answered yet. (Reply time
    // is measured in the benchmark, not here.)
    ASSERT_TRUE(companion.sendAll(commandFlood(10, 4000000), 120000));
    const int before = int(companion.lines().size());
    companion.send("seek 42\n");
    // The command after the flood still reaches the player, and its own report follows.
    EXPECT_GE(companion.waitForLine([](const Json &l) { return hasTitle(l, "First Song") && l.value("elapsed", 0.0) == 42.0; },
                                    before, 120000), 0);
    EXPECT_EQ(player->positionMicros(), 42'000'000);
    const long peak = companion.peakMemoryKiB();
    ASSERT_GT(peak, 0);
    EXPECT_LT(peak, 64 * 1024) << "peak resident memory in KiB";
    EXPECT_TRUE(companion.isRunning());
}
