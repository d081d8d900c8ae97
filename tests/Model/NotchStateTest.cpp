#include "IslandTestSupport.h"

using namespace vesk;
using vesk::test::IslandTest;

class NotchStateTest : public IslandTest {};

TEST_F(NotchStateTest, ClosedWhileSettlingThenStaysSettled)
{
    auto model = NotchViewModel::makePrimary(simulatedServices());
    model->show(Peek::battery(50, false), 10);
    EXPECT_EQ(model->state(), NotchState::closed);
    time.advance(0.89);
    EXPECT_FALSE(model->hasSettled.peek());
    time.advance(0.02);
    EXPECT_TRUE(model->hasSettled.peek());
    EXPECT_EQ(model->state(), NotchState::peek);
}

TEST_F(NotchStateTest, TourOutranksUpdateWhichOutranksOpen)
{
    auto model = settledPrimary();
    model->isOpen = true;
    EXPECT_EQ(model->state(), NotchState::open);
    Updater::shared().showReady("1.1", std::nullopt, false);
    EXPECT_EQ(model->state(), NotchState::update);
    model->startOnboarding(2);
    EXPECT_EQ(model->state(), NotchState::onboarding);
    EXPECT_FALSE(model->isOpen.peek());  // starting the tour closes the island
    model->finishOnboarding();
    EXPECT_EQ(model->state(), NotchState::update);
}

TEST_F(NotchStateTest, ReadoutArrivingWhileOpenShowsAfterClosingIfStillDue)
{
    auto model = settledPrimary();
    model->isOpen = true;
    model->show(Peek::battery(80, true), 3);
    EXPECT_EQ(model->state(), NotchState::open);
    time.advance(1);
    model->isOpen = false;
    EXPECT_EQ(model->state(), NotchState::peek);
    time.advance(2.5);
    EXPECT_EQ(model->state(), NotchState::closed);

    model->isOpen = true;
    model->show(Peek::battery(81, true), 1);
    time.advance(2);
    model->isOpen = false;
    EXPECT_EQ(model->state(), NotchState::closed);  // ran out while open
}

TEST_F(NotchStateTest, ForcedStateAndTransientConditionsKeepTheIslandClosed)
{
    auto model = settledPrimary();
    model->nowPlaying().track = playing("Song");
    EXPECT_EQ(model->state(), NotchState::live);
    model->isMorphing = true;
    EXPECT_EQ(model->state(), NotchState::closed);
    model->isMorphing = false;
    model->isSwitchingSpace = true;
    EXPECT_EQ(model->state(), NotchState::closed);
    model->stateOverride = NotchState::eventPreview;
    EXPECT_EQ(model->state(), NotchState::eventPreview);  // a forced state wins over the switch
}

TEST_F(NotchStateTest, RunningTimerShowsAsPeekInNotchStyleAndInTheBubbleInPillStyle)
{
    auto model = settledPrimary();
    model->nowPlaying().track = playing("Song");
    model->countdown().start();
    EXPECT_EQ(model->ongoing.peek(), Peek::timer());
    EXPECT_EQ(model->state(), NotchState::peek);
    model->style = IslandStyle::pill;
    EXPECT_EQ(model->state(), NotchState::live);
    // Without a live track the capsule shows the activity itself.
    model->nowPlaying().track = std::nullopt;
    EXPECT_EQ(model->state(), NotchState::peek);
}

TEST_F(NotchStateTest, DismissedActivityAlsoHidesTheLiveTrack)
{
    auto model = settledPrimary();
    model->nowPlaying().track = playing("Song");
    model->isActivityDismissed = true;
    EXPECT_EQ(model->state(), NotchState::closed);
    // A transient readout is not dismissed.
    model->show(Peek::capsLock(true));
    EXPECT_EQ(model->state(), NotchState::peek);
}

TEST_F(NotchStateTest, HiddenInSourceApplicationOnlyForThatApplicationsTrack)
{
    defaults().set(settings::hideInSourceApp, true);
    auto model = settledPrimary();
    model->frontmostBundleID = std::string("com.spotify.client");
    model->nowPlaying().track = playing("Song", "com.spotify.client");
    EXPECT_EQ(model->state(), NotchState::closed);
    model->nowPlaying().track = playing("Song");  // no bundle identifier: may always show
    EXPECT_EQ(model->state(), NotchState::live);
    model->nowPlaying().track = playing("Song", "org.mpris.vlc");
    EXPECT_EQ(model->state(), NotchState::live);

    defaults().set(settings::compactInFullscreen, true);
    model->isFullscreenSpace = true;
    EXPECT_EQ(model->state(), NotchState::closed);
}

TEST_F(NotchStateTest, TrackPreviewNeedsATrack)
{
    auto model = settledPrimary();
    model->isPreviewingTrack = true;
    EXPECT_EQ(model->state(), NotchState::closed);
    Track paused = playing("Song");
    paused.isPlaying = false;
    model->nowPlaying().track = paused;
    EXPECT_EQ(model->state(), NotchState::trackPreview);
}

TEST_F(NotchStateTest, EventPreviewOnlyWhileTheOngoingActivityIsAnEvent)
{
    auto model = settledPrimary();
    addEvent(*model, "Quarterly planning session", 300);
    model->refreshOngoing();
    EXPECT_TRUE(model->isPreviewingEvent.peek());
    EXPECT_EQ(model->state(), NotchState::eventPreview);
    model->countdown().start();  // the timer outranks the event
    EXPECT_TRUE(model->isPreviewingEvent.peek());
    EXPECT_EQ(model->state(), NotchState::peek);
    EXPECT_EQ(model->ongoing.peek(), Peek::timer());
}

TEST_F(NotchStateTest, StateReadTracksTheFieldsItConsults)
{
    auto model = settledPrimary();
    int changes = 0;
    auto tracking = trackObservation([&] { (void)model->state(); }, [&] { ++changes; });
    Updater::shared().setPhase(Updater::Phase::idle());  // unchanged: nobody hears
    model->isOpen = false;
    EXPECT_EQ(changes, 0);
    Updater::shared().showReady("1.1", std::nullopt, false);
    EXPECT_EQ(changes, 1);
}
