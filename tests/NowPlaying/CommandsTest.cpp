#include "NowPlayingFixtureSupport.h"
#include "Model/Defaults.h"

#include <cmath>
#include <limits>

using namespace vesk;
using namespace vesk::test;

namespace {

class CommandsTest : public NowPlayingFixture {
protected:
    CommandsTest() { service->start(); }
    void publish(double elapsed, double sampledAgo, const std::string &bundle = "org.example.player")
    {
        line("{\"title\":\"One\",\"artist\":\"A\",\"duration\":200,\"elapsed\":" + std::to_string(elapsed)
             + ",\"rate\":1,\"playing\":true,\"bundleID\":\"" + bundle + "\",\"timestamp\":"
             + std::to_string(time.wallNow() - sampledAgo) + "}");
    }
};

}  // namespace

TEST_F(CommandsTest, CommandsReachTheCompanionByNumber)
{
    service->send(MediaCommand::nextTrack);
    service->send(MediaCommand::previousTrack);
    service->send(MediaCommand::likeTrack);
    service->send(MediaCommand::togglePlayPause);
    EXPECT_EQ(host.writes(), (std::vector<std::string>{"cmd 4", "cmd 5", "cmd 21", "cmd 2"}));
}

TEST_F(CommandsTest, TogglePlayPausePausesAtTheProjectedPositionAndHoldsIt)
{
    publish(97, 3);
    service->togglePlayPause();
    EXPECT_EQ(lastWrite(), "cmd 2");
    EXPECT_FALSE(current().isPlaying);
    EXPECT_DOUBLE_EQ(current().elapsed, 100);
    EXPECT_DOUBLE_EQ(current().timestamp, time.wallNow());
    time.advance(1.0);
    publish(101, 0);  // still says playing within 2 s
    EXPECT_FALSE(current().isPlaying);
    time.advance(1.05);
    EXPECT_EQ(lastWrite(), "refresh now");
    publish(102, 0);  // after the deadline the report counts
    EXPECT_TRUE(current().isPlaying);
}

TEST_F(CommandsTest, SkipSeeksWithinTheTrack)
{
    publish(190, 0);
    service->skip(15);
    EXPECT_EQ(lastWrite(), "seek 200.0");
    service->seek(5);
    service->skip(-15);
    EXPECT_EQ(lastWrite(), "seek 0.0");
    EXPECT_EQ(current().elapsed, 0);
    const size_t writes = host.writes().size();
    service->seek(std::numeric_limits<double>::quiet_NaN());
    service->seek(std::numeric_limits<double>::infinity());
    EXPECT_EQ(host.writes().size(), writes);
    EXPECT_EQ(current().elapsed, 0);
}

TEST_F(CommandsTest, ShuffleAndRepeatToggleAndPublishAtOnce)
{
    publish(10, 0);
    service->toggleRepeat();
    EXPECT_EQ(lastWrite(), "repeat 3");
    EXPECT_EQ(current().repeatMode, 3);
    Track two = current();
    two.repeatMode = 2;
    service->track = two;
    service->toggleRepeat();
    EXPECT_EQ(lastWrite(), "repeat 1");
    EXPECT_EQ(current().repeatMode, 1);
    service->toggleShuffle();
    EXPECT_EQ(lastWrite(), "shuffle x");
    EXPECT_EQ(current().shuffleMode, 3);
}

TEST_F(CommandsTest, ShuffleOfAScriptedPlayersTrackGoesToThePlayer)
{
    setPlayer(spotifyBus, QStringLiteral("One"));
    publish(10, 0, "spotify");
    const size_t writes = host.writes().size();
    service->toggleShuffle();
    service->toggleRepeat();
    EXPECT_EQ(host.writes().size(), writes);
    EXPECT_TRUE(UserDefaults::standard().value(NowPlayingService::scriptedSetting(ScriptedPlayer::spotify)));
    time.flush();
    // The track's own mode was unknown, so shuffle is switched on.
    EXPECT_EQ(bus.player(spotifyBus).properties.value(QStringLiteral("Shuffle")), QVariant(true));
    EXPECT_EQ(bus.player(spotifyBus).properties.value(QStringLiteral("LoopStatus")).toString(), "Playlist");
}

TEST_F(CommandsTest, NoFavouriteCanBeChanged)
{
    publish(10, 0);
    EXPECT_FALSE(service->canLike());
    const Track before = current();
    service->toggleLike();
    EXPECT_EQ(current(), before);
    EXPECT_TRUE(host.writes().empty() || lastWrite() != "cmd 21");
}

TEST_F(CommandsTest, CommandsWithoutATrackDoNothing)
{
    service->togglePlayPause();
    service->skip(15);
    service->toggleShuffle();
    service->toggleRepeat();
    EXPECT_EQ(host.writes(), std::vector<std::string>{"cmd 2"});
    time.advance(3);
    EXPECT_EQ(host.writes().size(), 1u);
}

TEST_F(CommandsTest, APinnedPlayerGetsTheCallAndIsReadAgainLater)
{
    setPlayer(spotifyBus, QStringLiteral("Pinned"));
    UserDefaults::standard().set(settings::audioSource, "spotify");
    time.flush();
    time.flush();
    ASSERT_TRUE(service->track.peek());
    const int reads = callCount(QStringLiteral("GetAll"));
    service->send(MediaCommand::nextTrack);
    EXPECT_EQ(callCount(QStringLiteral("Next")), 1);
    time.advance(0.59);
    EXPECT_EQ(callCount(QStringLiteral("GetAll")), reads);
    time.advance(0.02);
    EXPECT_EQ(callCount(QStringLiteral("GetAll")), reads + 1);
    service->send(MediaCommand::likeTrack);  // re-read too
    time.advance(0.61);
    EXPECT_EQ(callCount(QStringLiteral("GetAll")), reads + 2);
    service->seek(30);
    time.flush();
    EXPECT_EQ(callCount(QStringLiteral("SetPosition")), 1);
    EXPECT_EQ(bus.calls().back().arguments.at(1).toLongLong(), 30000000);
    EXPECT_EQ(bus.calls().back().arguments.at(0).value<QDBusObjectPath>().path(), "/com/spotify/track/abc123");
}

TEST_F(CommandsTest, OpenSourceAppRaisesTheMatchingPlayerWhenItCan)
{
    setPlayer(musicBus, QStringLiteral("One"));
    publish(10, 0, "music");
    service->openSourceApp();
    time.flush();
    EXPECT_EQ(callCount(QStringLiteral("Raise")), 0);  // CanRaise false
    bus.player(musicBus).canRaise = true;
    service->openSourceApp();
    time.flush();
    time.flush();
    EXPECT_EQ(callCount(QStringLiteral("Raise")), 1);
}
