#include "Model/Defaults.h"
#include "NowPlaying/MediaCommand.h"
#include "NowPlaying/NowPlayingPayload.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/Track.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {
Track song()
{
    Track t;
    t.title = "Song";
    t.duration = 200;
    t.elapsed = 10;
    t.timestamp = 1000;
    t.isPlaying = true;
    return t;
}
}  // namespace

TEST(TrackTest, EqualityComparesEveryField)
{
    Track a = song(), b = song();
    EXPECT_EQ(a, b);
    b.timestamp += 1;
    EXPECT_NE(a, b);
    b = song();
    b.isLiked = false;  // known false is not unknown
    EXPECT_NE(a, b);
}

TEST(TrackTest, ElapsedAdvancesWhilePlayingWithinTheTrack)
{
    Track t = song();
    EXPECT_DOUBLE_EQ(t.elapsedAt(1005), 15);
    t.rate = 2;
    EXPECT_DOUBLE_EQ(t.elapsedAt(1005), 20);
    t.rate = 0;  // a rate that is not positive advances at 1
    EXPECT_DOUBLE_EQ(t.elapsedAt(1005), 15);
    EXPECT_DOUBLE_EQ(t.elapsedAt(2000), 200);  // capped at the duration
    EXPECT_DOUBLE_EQ(t.elapsedAt(980), 0);     // before the sample: never negative
    t.duration = 0;
    EXPECT_DOUBLE_EQ(t.elapsedAt(2000), 1010);  // unknown duration: no cap
    t.isPlaying = false;
    EXPECT_DOUBLE_EQ(t.elapsedAt(2000), 10);
}

TEST(TrackTest, CommandNumbersSkipThree)
{
    EXPECT_EQ(companionNumber(MediaCommand::play), 0);
    EXPECT_EQ(companionNumber(MediaCommand::pause), 1);
    EXPECT_EQ(companionNumber(MediaCommand::togglePlayPause), 2);
    EXPECT_EQ(companionNumber(MediaCommand::nextTrack), 4);
    EXPECT_EQ(companionNumber(MediaCommand::previousTrack), 5);
    EXPECT_EQ(companionNumber(MediaCommand::likeTrack), 21);
}

TEST(TrackTest, PayloadDecoding)
{
    auto empty = NowPlayingPayload::decode(R"({"empty":true})");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->empty, true);
    EXPECT_FALSE(empty->title || empty->playing || empty->shuffle || empty->artwork);

    auto full = NowPlayingPayload::decode(
        R"({"title":"A","playing":true,"shuffle":3,"elapsed":1.5,"timestamp":1700000000,"explicit":false,"artist":null,"future":[1]})");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->title, "A");
    EXPECT_EQ(full->shuffle, 3);
    EXPECT_EQ(full->elapsed, 1.5);
    EXPECT_EQ(full->explicitFlag, false);
    EXPECT_FALSE(full->artist);  // null counts as absent

    EXPECT_FALSE(NowPlayingPayload::decode(R"({"title":5})"));
    EXPECT_FALSE(NowPlayingPayload::decode(R"({"playing":"yes"})"));
    EXPECT_FALSE(NowPlayingPayload::decode(R"({"shuffle":2.5})"));
    EXPECT_FALSE(NowPlayingPayload::decode("[1,2]"));
    EXPECT_FALSE(NowPlayingPayload::decode("{\"title\":"));
}

TEST(TrackTest, ServicePublishesOnlyChanges)
{
    NowPlayingService service{settings::audioSource};
    int changes = 0;
    auto connection = service.track.observe([&] { ++changes; });
    service.track = std::nullopt;
    EXPECT_EQ(changes, 0);
    service.track = song();
    service.track = song();
    EXPECT_EQ(changes, 1);
    Track later = song();
    later.timestamp += 1;  // a re-sample is a change
    service.track = later;
    EXPECT_EQ(changes, 2);

    int icons = 0;
    auto iconConnection = service.appIcon.observe([&] { ++icons; });
    auto image = std::make_shared<const QImage>(2, 2, QImage::Format_ARGB32);
    service.appIcon = image;
    service.appIcon = image;
    service.appIcon = std::make_shared<const QImage>(2, 2, QImage::Format_ARGB32);  // another object
    EXPECT_EQ(icons, 2);
}
