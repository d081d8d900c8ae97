#include "Model/IslandTestSupport.h"

using namespace vesk;
using vesk::test::PlatformTest;

class PreviewsTest : public PlatformTest {};

TEST_F(PreviewsTest, TwoTracksTwoSecondsApartGiveOneFiveSecondPreview)
{
    auto model = settledPrimary();
    model->nowPlaying().track = playing("One");
    model->nowPlaying().announceNewTrack();
    EXPECT_EQ(model->state(), NotchState::trackPreview);
    time.advance(2);
    model->nowPlaying().track = playing("Two");
    model->nowPlaying().announceNewTrack();
    time.advance(2.99);
    EXPECT_EQ(model->state(), NotchState::trackPreview);
    time.advance(0.02);
    EXPECT_EQ(model->state(), NotchState::live);
    EXPECT_EQ(patternsOf(*model), (std::vector{HapticPattern::alignment, HapticPattern::alignment}));
}

TEST_F(PreviewsTest, NoPreviewWhileOpenButTheDismissedActivityReturns)
{
    auto model = settledPrimary();
    model->isOpen = true;
    model->isActivityDismissed = true;
    model->previewTrack();
    EXPECT_FALSE(model->isPreviewingTrack.peek());
    EXPECT_FALSE(model->isActivityDismissed.peek());
    EXPECT_TRUE(haptics.entries.empty());
}

TEST_F(PreviewsTest, MirrorsPreviewWithoutHaptics)
{
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    time.advance(1);
    primary->nowPlaying().track = playing("Song");
    primary->nowPlaying().announceNewTrack();
    EXPECT_EQ(mirror->state(), NotchState::trackPreview);
    EXPECT_EQ(haptics.entries.size(), 1u);
    EXPECT_TRUE(patternsOf(*mirror).empty());
}

TEST_F(PreviewsTest, TrackOfTheFrontmostApplicationSetsTheFlagButShowsNothing)
{
    defaults().set(settings::hideInSourceApp, true);
    auto model = settledPrimary();
    model->frontmostBundleID = std::string("com.spotify.client");
    model->nowPlaying().track = playing("Song", "com.spotify.client");
    model->previewTrack();
    EXPECT_TRUE(model->isPreviewingTrack.peek());
    EXPECT_EQ(model->state(), NotchState::closed);
    EXPECT_TRUE(haptics.entries.empty());
}

TEST_F(PreviewsTest, EndingThePreviewCancelsItsTimer)
{
    defaults().set(settings::trackPreviewDuration, 3.0);
    auto model = settledPrimary();
    model->nowPlaying().track = playing("Song");
    model->previewTrack();
    model->endTrackPreview();
    EXPECT_EQ(model->state(), NotchState::live);
    time.advance(1);
    model->previewTrack();
    time.advance(2.5);  // the first preview's end would have fallen here
    EXPECT_TRUE(model->isPreviewingTrack.peek());
}

TEST_F(PreviewsTest, EventPreviewLastsLongerThanTheTrackPreview)
{
    auto model = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*model);
    time.advance(1);
    addEvent(*model, "Quarterly planning session", 300);  // 26 characters
    model->refreshOngoing();
    EXPECT_EQ(model->state(), NotchState::eventPreview);
    EXPECT_EQ(mirror->state(), NotchState::eventPreview);
    EXPECT_EQ(model->peekToDraw()->text(), "5m");
    EXPECT_EQ(patternsOf(*model), std::vector{HapticPattern::alignment});
    EXPECT_TRUE(patternsOf(*mirror).empty());
    time.advance(4.49);
    EXPECT_EQ(model->state(), NotchState::eventPreview);
    time.advance(0.02);
    EXPECT_EQ(model->state(), NotchState::peek);
}

TEST_F(PreviewsTest, ForcedEventActivityPreviewsOnlyLongTitles)
{
    auto model = settledPrimary();
    model->debugSetOngoing(Peek::event("Design review!", 5, 0, QColor(Qt::red)));
    EXPECT_FALSE(model->isPreviewingEvent.peek());
    model->debugSetOngoing(Peek::event("Design reviews!", 5, 0, QColor(Qt::red)));
    EXPECT_TRUE(model->isPreviewingEvent.peek());
    EXPECT_EQ(model->lastPeek.peek()->kind(), Peek::Kind::event);
}
