#include "NowPlayingFixtureSupport.h"

using namespace vesk;
using namespace vesk::test;

namespace {

class ApplyTest : public NowPlayingFixture {
protected:
    ApplyTest()
    {
        service->onNewTrack = [this] { ++announced; };
        service->start();
    }
    std::string art(QColor colour) const { return ",\"artwork\":\"" + solid(colour).toBase64().toStdString() + "\""; }
    int announced = 0;
};

}  // namespace

TEST_F(ApplyTest, TheFirstReportIsNotAnnouncedALaterNewTrackIsOnce)
{
    line(playing("One"));
    EXPECT_EQ(current().title, "One");
    EXPECT_EQ(announced, 0);
    line(playing("Two", art(Qt::red)));
    EXPECT_EQ(current().title, "Two");
    EXPECT_EQ(announced, 1);
    EXPECT_TRUE(service->artwork.peek());
    EXPECT_EQ(service->accent.peek().name(QColor::HexRgb).toUpper(), "#FF3333");
}

TEST_F(ApplyTest, ANewTrackWaitsForItsArtworkAtMostSettleDelay)
{
    line(playing("One", art(Qt::blue)));
    const int artworkVersion = service->artworkVersion.peek();
    line(playing("Two"));
    time.advance(0.5);
    line(playing("Two", art(Qt::red)));
    EXPECT_EQ(current().title, "Two");
    EXPECT_EQ(service->artworkVersion.peek(), artworkVersion + 1);
    time.advance(1);
    EXPECT_EQ(service->trackVersion.peek(), 2);  // committed once

    // Without artwork: committed 0.7 s after the first report, the old artwork cleared.
    line(playing("Three"));
    time.advance(0.69);
    EXPECT_EQ(current().title, "Two");
    time.advance(0.02);
    EXPECT_EQ(current().title, "Three");
    EXPECT_FALSE(service->artwork.peek());
    EXPECT_EQ(service->accent.peek(), QColor(Qt::white));
}

TEST_F(ApplyTest, ArtworkSameKeepsTheArtworkOfANewTrack)
{
    line(playing("One", art(Qt::blue)));
    line(playing("Two", ",\"artworkSame\":true"));
    time.advance(0.7);
    EXPECT_EQ(current().title, "Two");
    EXPECT_TRUE(service->artwork.peek());
}

TEST_F(ApplyTest, OnlyTheLastOfQuickSwitchesIsCommittedFromTheFirst)
{
    line(playing("One"));
    line(playing("A"));
    time.advance(0.3);
    line(playing("B"));
    time.advance(0.3);
    line(playing("C"));
    time.advance(0.1);
    EXPECT_EQ(current().title, "C");
    EXPECT_EQ(service->titleVersion.peek(), 2);
}

TEST_F(ApplyTest, SmallPositionJumpsKeepTheShownPosition)
{
    line(playing("One"));
    const Track first = current();
    time.advance(1);
    const double t = time.wallNow();
    line("{\"title\":\"One\",\"artist\":\"A\",\"duration\":200,\"elapsed\":12,\"rate\":1,\"playing\":true,\"timestamp\":"
         + std::to_string(t) + "}");  // shown 11, reported 12
    EXPECT_EQ(current().elapsed, first.elapsed);
    EXPECT_EQ(current().timestamp, first.timestamp);
    line("{\"title\":\"One\",\"artist\":\"A\",\"duration\":200,\"elapsed\":13.01,\"rate\":1,\"playing\":true,\"timestamp\":"
         + std::to_string(t) + "}");  // 2 s off
    EXPECT_EQ(current().elapsed, 13.01);
}

TEST_F(ApplyTest, AFirstArtistMakesItTheSameTrack)
{
    line("{\"title\":\"One\",\"playing\":true}");
    const int artistVersion = service->artistVersion.peek();
    line("{\"title\":\"One\",\"artist\":\"Someone\",\"playing\":true}");
    EXPECT_EQ(current().artist, "Someone");
    EXPECT_EQ(service->artistVersion.peek(), artistVersion + 1);
    EXPECT_EQ(service->titleVersion.peek(), 1);
}

TEST_F(ApplyTest, PlayingIsDecidedByRateFlagAndSampleAge)
{
    const double t = time.wallNow();
    line("{\"title\":\"One\",\"rate\":1,\"timestamp\":" + std::to_string(t - 1) + "}");
    EXPECT_TRUE(current().isPlaying);
    service->clearEverything();
    line("{\"title\":\"Two\",\"rate\":1,\"timestamp\":" + std::to_string(t - 3) + "}");
    time.advance(0.7);
    EXPECT_FALSE(current().isPlaying);
    service->clearEverything();
    line("{\"title\":\"Three\",\"rate\":0,\"playing\":true}");
    time.advance(0.7);
    EXPECT_FALSE(current().isPlaying);
}

TEST_F(ApplyTest, AnAmbiguousReportAsksAgainOnce)
{
    line(playing("One"));
    line("{\"title\":\"One\",\"artist\":\"A\",\"rate\":1,\"playing\":false}");
    time.advance(1);
    line("{\"title\":\"One\",\"artist\":\"A\",\"rate\":1,\"playing\":false}");
    time.advance(1.49);
    EXPECT_TRUE(host.writes().empty());
    time.advance(0.01);
    EXPECT_EQ(host.writes(), std::vector<std::string>{"refresh now"});
    time.advance(5);
    EXPECT_EQ(host.writes().size(), 1u);
}

TEST_F(ApplyTest, ArtworkThatStaysAwayIsClearedAfterGraceAndACancelledClearBlocksNewOnes)
{
    line(playing("One", art(Qt::blue)));
    line(playing("One"));  // no artwork: a clear in 1.5 s
    time.advance(1.0);
    line(playing("One", ",\"artworkSame\":true"));  // cancels it; the field stays taken
    line(playing("One"));
    time.advance(5);
    EXPECT_TRUE(service->artwork.peek());
    // A commit resets the field: the next track's missing artwork is cleared again.
    line(playing("Two", art(Qt::red)));
    const int versions = service->artworkVersion.peek();
    line(playing("Two"));
    time.advance(1.5);
    EXPECT_FALSE(service->artwork.peek());
    EXPECT_EQ(service->artworkVersion.peek(), versions + 1);
}

TEST_F(ApplyTest, UndecodableBase64KeepsTheArtworkAndNonImagesChangeNothing)
{
    line(playing("One", art(Qt::blue)));
    const auto shown = service->artwork.peek();
    line(playing("One", ",\"artwork\":\"***\""));
    line(playing("One", ",\"artwork\":\"" + QByteArray("not an image").toBase64().toStdString() + "\""));
    time.advance(3);
    EXPECT_EQ(service->artwork.peek(), shown);
}

TEST_F(ApplyTest, NothingPlayingClearsTheTrackAndArtwork)
{
    line(playing("One", art(Qt::blue)));
    const int versions = service->trackVersion.peek();
    line("{\"empty\":true}");
    EXPECT_FALSE(service->track.peek());
    EXPECT_FALSE(service->artwork.peek());
    EXPECT_EQ(service->trackVersion.peek(), versions + 1);
}

TEST_F(ApplyTest, ScriptedPlayersShuffleAndRepeatAreNotTakenFromTheCompanion)
{
    line(playing("One", ",\"bundleID\":\"music\",\"shuffle\":3,\"repeat\":3"));
    EXPECT_EQ(current().shuffleMode, 3);
    UserDefaults::standard().set(NowPlayingService::scriptedSetting(ScriptedPlayer::music), true);
    line(playing("Two", ",\"bundleID\":\"music\",\"shuffle\":1,\"repeat\":1" + art(Qt::red)));
    EXPECT_EQ(current().title, "Two");
    EXPECT_EQ(current().shuffleMode, 3);  // inherited, not the companion's 1
    EXPECT_EQ(current().repeatMode, 3);
}

TEST_F(ApplyTest, ChangesOnlyNotifyWhenTheTrackDiffers)
{
    int notified = 0;
    auto connection = service->track.observe([&] { ++notified; });
    EXPECT_FALSE(NowPlayingService::shouldNotifyObservers(std::nullopt, std::nullopt));
    EXPECT_TRUE(NowPlayingService::shouldNotifyObservers(std::nullopt, Track{"A"}));
    line(playing("One"));
    EXPECT_EQ(notified, 1);
    line(playing("One"));  // a repeated report of the same state
    EXPECT_EQ(notified, 1);
}
