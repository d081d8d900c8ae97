#include "NowPlayingFixtureSupport.h"
#include "Model/Defaults.h"

using namespace vesk;
using namespace vesk::test;

namespace {

class SourceTest : public NowPlayingFixture {
protected:
    SourceTest() { service->start(); }
    void settle()
    {
        for (int i = 0; i < 4; ++i)
            time.flush();
    }
};

}  // namespace

TEST_F(SourceTest, OtherSettingsLeaveTheSourceAlone)
{
    line(playing("One"));
    UserDefaults::standard().set(settings::hudDuration, 3.0);
    settle();
    EXPECT_TRUE(service->track.peek());
    EXPECT_TRUE(host.writes().empty());
    EXPECT_TRUE(bus.calls().empty());
}

TEST_F(SourceTest, PinningReadsThePlayerAndIgnoresTheCompanion)
{
    setPlayer(spotifyBus, QStringLiteral("Pinned"));
    UserDefaults::standard().set(settings::audioSource, "spotify");
    EXPECT_TRUE(UserDefaults::standard().value(NowPlayingService::scriptedSetting(ScriptedPlayer::spotify)));
    settle();
    ASSERT_TRUE(service->track.peek());
    EXPECT_EQ(current().title, "Pinned");
    EXPECT_EQ(current().artist, "One, Two");
    EXPECT_EQ(current().duration, 200);
    EXPECT_EQ(current().elapsed, 30);
    EXPECT_EQ(current().shuffleMode, 3);
    EXPECT_EQ(current().repeatMode, 2);
    EXPECT_EQ(current().bundleID, "spotify");
    EXPECT_FALSE(current().isLiked);
    EXPECT_EQ(service->pinnedPlayer(), ScriptedPlayer::spotify);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(host.exit());
        time.advance(2.01);
    }
    line(playing("Companion"));
    EXPECT_EQ(current().title, "Pinned");
    EXPECT_EQ(service->restarts(), 3);  // ignored lines reset nothing
}

TEST_F(SourceTest, BackToAutomaticClearsAndAsksTheCompanionOnce)
{
    setPlayer(musicBus, QStringLiteral("Music"));
    UserDefaults::standard().set(settings::audioSource, "music");
    settle();
    ASSERT_TRUE(service->track.peek());
    EXPECT_EQ(current().bundleID, "music");
    UserDefaults::standard().set(settings::audioSource, "automatic");
    EXPECT_FALSE(service->track.peek());
    EXPECT_EQ(host.writes(), std::vector<std::string>{"refresh now"});
    UserDefaults::standard().set(settings::audioSource.key, 7);  // not a string: automatic, unchanged
    EXPECT_EQ(host.writes().size(), 1u);
}

TEST_F(SourceTest, APlayerThatIsNotRunningIsNeverAskedAndReadsAsNothing)
{
    line(playing("One"));
    bus.player(spotifyBus).running = false;
    UserDefaults::standard().set(settings::audioSource, "spotify");
    settle();
    EXPECT_FALSE(service->track.peek());
    EXPECT_TRUE(bus.calls().empty());
}

TEST_F(SourceTest, NotificationsOfTheOtherPlayerDoNothingWhilePinned)
{
    setPlayer(spotifyBus, QStringLiteral("Pinned"));
    setPlayer(musicBus, QStringLiteral("Music"));
    UserDefaults::standard().set(settings::audioSource, "spotify");
    settle();
    const size_t calls = bus.calls().size();
    bus.announce(musicBus, {{QStringLiteral("PlaybackStatus"), QStringLiteral("Paused")}});
    settle();
    EXPECT_EQ(bus.calls().size(), calls);
    bus.announce(spotifyBus, {{QStringLiteral("PlaybackStatus"), QStringLiteral("Paused")}});
    settle();
    EXPECT_EQ(bus.calls().size(), calls + 1);
}

TEST_F(SourceTest, ThePinnedTracksArtworkIsFetchedOncePerTrack)
{
    setPlayer(spotifyBus, QStringLiteral("Pinned"), QStringLiteral("Playing"), QStringLiteral("https://art.test/1"));
    web.serve(QStringLiteral("https://art.test/1"), solid(Qt::red), 0.5);
    UserDefaults::standard().set(settings::audioSource, "spotify");
    settle();
    // A second read before the fetch has finished fetches again.
    bus.announce(spotifyBus, {});
    settle();
    EXPECT_EQ(web.requests().size(), 2u);
    time.advance(0.6);
    ASSERT_TRUE(service->artwork.peek());
    const int versions = service->artworkVersion.peek();
    bus.announce(spotifyBus, {});
    settle();
    EXPECT_EQ(web.requests().size(), 2u);
    EXPECT_TRUE(service->artwork.peek());
    EXPECT_EQ(service->artworkVersion.peek(), versions);
}

TEST_F(SourceTest, AStaleReadNeverRepublishesAnOlderTrack)
{
    setPlayer(spotifyBus, QStringLiteral("Old"), QStringLiteral("Playing"), QStringLiteral("https://art.test/old"));
    web.serve(QStringLiteral("https://art.test/old"), solid(Qt::red), 3.0);
    UserDefaults::standard().set(settings::audioSource, "spotify");
    settle();
    setPlayer(spotifyBus, QStringLiteral("New"));  // no artwork: applied at once
    bus.announce(spotifyBus, {});
    settle();
    time.advance(0.7);
    ASSERT_TRUE(service->track.peek());
    EXPECT_EQ(current().title, "New");
    time.advance(3.0);  // the old fetch ends now
    EXPECT_EQ(current().title, "New");
    EXPECT_FALSE(service->artwork.peek());
}

TEST_F(SourceTest, ScriptedDetailsComeFromThePlayerOnceScripted)
{
    setPlayer(spotifyBus, QStringLiteral("One"));
    line(playing("One", ",\"bundleID\":\"spotify\""));
    settle();
    EXPECT_EQ(callCount(QStringLiteral("GetAll")), 0);  // never scripted yet
    UserDefaults::standard().set(NowPlayingService::spotifyScriptingUsed, true);
    bus.announce(spotifyBus, {{QStringLiteral("Shuffle"), true}});
    settle();
    EXPECT_EQ(current().shuffleMode, 3);
    EXPECT_EQ(current().repeatMode, 2);
}

TEST_F(SourceTest, SpotifysAnnouncementMarksAnExplicitTrack)
{
    setPlayer(spotifyBus, QStringLiteral("One"));
    web.serve(QStringLiteral("http://web.test/embed/track/abc123"), QByteArray("{\"isExplicit\":true}"));
    line(playing("One", ",\"bundleID\":\"com.spotify.client\""));
    bus.announce(spotifyBus, {{QStringLiteral("Metadata"),
                               QVariantMap{{QStringLiteral("mpris:trackid"),
                                            QVariant::fromValue(QDBusObjectPath("/com/spotify/track/abc123"))},
                                           {QStringLiteral("xesam:title"), QStringLiteral("One")}}}});
    settle();
    EXPECT_TRUE(current().isExplicit);
    ASSERT_FALSE(web.requests().empty());
    EXPECT_EQ(web.requests()[0].headers.at(0).second.left(25), "Mozilla/5.0 (Macintosh) A");
    EXPECT_EQ(web.requests()[0].timeout, 8.0);
    // Once explicit, nothing is asked again.
    const size_t requests = web.requests().size();
    bus.announce(spotifyBus, {{QStringLiteral("Metadata"), QVariantMap{}}});
    settle();
    EXPECT_EQ(web.requests().size(), requests);
}

TEST_F(SourceTest, ExplicitAnswersAreCachedOnlyWithTheMarker)
{
    int answers = 0, yes = 0;
    auto count = [&](bool explicitTrack) { ++answers, yes += explicitTrack; };
    web.serve(QStringLiteral("http://web.test/embed/track/abc"), QByteArray("x \"isExplicit\":false"));
    web.serve(QStringLiteral("http://web.test/embed/track/def"), QByteArray("no marker"));
    web.serve(QStringLiteral("http://web.test/embed/track/big"),
              QByteArray(4 * 1024 * 1024, ' ') + "\"isExplicit\":true");
    scripted::isExplicit("http://web.test", "spotify:track:abc", count);
    scripted::isExplicit("http://web.test", "def", count);
    scripted::isExplicit("http://web.test", "big", count);
    scripted::isExplicit("http://web.test", "has-hyphen", count);
    scripted::isExplicit("http://web.test", "spotify:track:", count);
    time.flush();
    EXPECT_EQ(answers, 3);
    EXPECT_EQ(yes, 0);
    EXPECT_EQ(web.requests().size(), 3u);
    scripted::isExplicit("http://web.test", "abc", count);  // cached: answered at once
    EXPECT_EQ(answers, 4);
    scripted::isExplicit("http://web.test", "def", count);
    scripted::isExplicit("http://web.test", "big", count);
    time.flush();
    EXPECT_EQ(web.requests().size(), 5u);
}

TEST_F(SourceTest, AReadWhileTheNextPinnedTrackSettlesKeepsNoOldArtwork)
{
    setPlayer(spotifyBus, QStringLiteral("Old"), QStringLiteral("Playing"), QStringLiteral("https://art.test/old"));
    web.serve(QStringLiteral("https://art.test/old"), solid(Qt::red));
    UserDefaults::standard().set(settings::audioSource, "spotify");
    settle();
    ASSERT_TRUE(service->artwork.peek());
    setPlayer(spotifyBus, QStringLiteral("New"));  // without artwork: it waits 0.7 s
    bus.announce(spotifyBus, {});
    settle();
    bus.announce(spotifyBus, {});  // read again while the old artwork is still shown
    settle();
    time.advance(0.7);
    ASSERT_TRUE(service->track.peek());
    EXPECT_EQ(current().title, "New");
    EXPECT_FALSE(service->artwork.peek());
}
