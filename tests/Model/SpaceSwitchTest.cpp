#include "IslandTestSupport.h"

using namespace vesk;
using vesk::test::IslandTest;

// The island is held closed while the screen slides to another workspace, restored once the
// switch has settled; full screen keeps the now-playing activity away when asked to.
class SpaceSwitchTest : public IslandTest {
protected:
    void swipe() { swipeSource.swipeSideways(trackpad); time.flush(); }
    void lift() { swipeSource.liftFingers(trackpad); time.flush(); }
    void switchSpace() { workspace.switchSpace(); time.flush(); }
};

TEST_F(SpaceSwitchTest, AKeyboardSwitchHidesTheIslandFor075Seconds)
{
    auto model = settledPrimary();
    model->nowPlaying().track = playing("Song");
    ASSERT_EQ(model->state(), NotchState::live);
    switchSpace();
    EXPECT_TRUE(model->isSwitchingSpace.peek());
    EXPECT_EQ(model->state(), NotchState::closed);
    time.advance(0.74);
    EXPECT_TRUE(model->isSwitchingSpace.peek());
    time.advance(0.02);
    EXPECT_FALSE(model->isSwitchingSpace.peek());
    EXPECT_EQ(model->state(), NotchState::live);

    // Each switch starts the wait again: the island returns after the last one has settled.
    switchSpace();
    time.advance(0.5);
    switchSpace();
    time.advance(0.5);
    EXPECT_TRUE(model->isSwitchingSpace.peek());
    time.advance(0.26);
    EXPECT_FALSE(model->isSwitchingSpace.peek());
}

TEST_F(SpaceSwitchTest, ASwipeHidesUntil08SecondsAfterTheFingersLiftAndItsSwitchIsNotHiddenAgain)
{
    auto model = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*model);
    swipe();
    EXPECT_TRUE(model->isSwitchingSpace.peek());
    EXPECT_TRUE(mirror->isSwitchingSpace.peek());  // the primary hands the swipe on
    switchSpace();  // the workspace changes under the fingers
    time.advance(0.5);
    lift();
    time.advance(0.3);
    switchSpace();  // reported late, within the grace after the swipe
    time.advance(0.49);
    EXPECT_TRUE(model->isSwitchingSpace.peek());
    EXPECT_TRUE(mirror->isSwitchingSpace.peek());
    time.advance(0.02);  // 0.8 s after the lift, not 0.75 s after the late report
    EXPECT_FALSE(model->isSwitchingSpace.peek());
    EXPECT_FALSE(mirror->isSwitchingSpace.peek());

    // Once the grace is over, a switch hides again.
    time.advance(1.0);
    switchSpace();
    EXPECT_TRUE(model->isSwitchingSpace.peek());
}

TEST_F(SpaceSwitchTest, ALongSwipeIsRestoredAfterSixSecondsAndItsEndDoesNotHideAgain)
{
    auto model = settledPrimary();
    swipe();
    time.advance(5.99);
    EXPECT_TRUE(model->isSwitchingSpace.peek());
    time.advance(0.02);
    EXPECT_FALSE(model->isSwitchingSpace.peek());  // fingers still down
    EXPECT_FALSE(model->isSwipingSpaces);

    time.advance(4);
    lift();  // the restore already ended the swipe: nothing is hidden again
    EXPECT_FALSE(model->isSwitchingSpace.peek());
    EXPECT_EQ(time.queue().pendingCount(), 2u);  // no restore: only the periodic refresh and look-out wait
    // The lift recorded no swipe end, so the switch it made is hidden as a plain one.
    switchSpace();
    EXPECT_TRUE(model->isSwitchingSpace.peek());
    time.advance(0.76);
    EXPECT_FALSE(model->isSwitchingSpace.peek());
}

TEST_F(SpaceSwitchTest, AnOpenIslandIsClosedWithoutFeedbackAndStaysClosed)
{
    auto model = settledPrimary();
    model->open(false);
    haptics.take();
    switchSpace();
    EXPECT_FALSE(model->isOpen.peek());
    time.advance(1);
    EXPECT_FALSE(model->isOpen.peek());
    EXPECT_EQ(model->state(), NotchState::closed);
    EXPECT_TRUE(haptics.entries.empty());
}

TEST_F(SpaceSwitchTest, WithShrinkingOffSwitchesOnlyReTestFullScreen)
{
    const Screen screen = plug(laptop());
    defaults().set(settings::shrinkOnSpaceSwitch, false);
    auto model = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*model);
    swipe();
    lift();
    EXPECT_FALSE(model->isSwitchingSpace.peek());
    EXPECT_FALSE(mirror->isSwitchingSpace.peek());
    EXPECT_FALSE(model->isSwipingSpaces);

    workspace.setFullscreen(screen.pixelFrame, true);
    switchSpace();
    EXPECT_FALSE(model->isSwitchingSpace.peek());
    EXPECT_TRUE(model->isFullscreenSpace.peek());
}

TEST_F(SpaceSwitchTest, FullScreenHidesTheLiveTrackOnItsOwnDisplayWhenCompact)
{
    const Screen inner = plug(laptop());
    const Screen outer = plug(external());
    defaults().set(settings::compactInFullscreen, true);
    auto model = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*model);
    model->updateNotch(inner, IslandStyle::notch, false);
    mirror->updateNotch(outer, IslandStyle::notch, false);
    model->nowPlaying().track = playing("Song");
    time.advance(1);  // the mirror settles

    // Going full screen switches no workspace on this desktop: the window change re-tests it.
    workspace.setFullscreen(inner.pixelFrame, true);
    time.flush();
    EXPECT_TRUE(model->isFullscreenSpace.peek());
    EXPECT_FALSE(model->isSwitchingSpace.peek());
    EXPECT_EQ(model->state(), NotchState::closed);
    EXPECT_FALSE(mirror->isFullscreenSpace.peek());
    EXPECT_EQ(mirror->state(), NotchState::live);
    model->previewTrack();
    EXPECT_EQ(model->state(), NotchState::closed);
    EXPECT_EQ(mirror->state(), NotchState::trackPreview);

    defaults().set(settings::compactInFullscreen, false);
    EXPECT_EQ(model->state(), NotchState::trackPreview);

    workspace.setFullscreen(inner.pixelFrame, false);
    time.flush();
    EXPECT_FALSE(model->isFullscreenSpace.peek());
}

TEST_F(SpaceSwitchTest, MeasuringAnotherDisplayReTestsFullScreenThere)
{
    const Screen inner = plug(laptop());
    const Screen outer = plug(external());
    auto model = settledPrimary();
    model->updateNotch(inner, IslandStyle::notch, false);
    workspace.setFullscreen(outer.pixelFrame, true);
    time.flush();
    EXPECT_FALSE(model->isFullscreenSpace.peek());
    model->updateNotch(outer, IslandStyle::notch, false);
    EXPECT_EQ(model->notchDisplay, outer.displayNumber);
    EXPECT_TRUE(model->isFullscreenSpace.peek());
}

TEST_F(SpaceSwitchTest, TheSourceAppsOwnTrackIsHiddenWhateverTheCaseOfItsIdentifier)
{
    defaults().set(settings::hideInSourceApp, true);
    auto model = settledPrimary();
    model->nowPlaying().track = playing("Song", "Spotify");
    workspace.setFrontmost(QStringLiteral("spotify"));
    time.flush();
    EXPECT_EQ(model->frontmostBundleID.peek(), std::optional<std::string>("spotify"));
    EXPECT_EQ(model->state(), NotchState::closed);
    workspace.setFrontmost(QStringLiteral("org.gnome.Terminal"));
    time.flush();
    EXPECT_EQ(model->state(), NotchState::live);
    workspace.setFrontmost(std::nullopt);
    time.flush();
    EXPECT_FALSE(model->frontmostBundleID.peek());
}

TEST_F(SpaceSwitchTest, ARemovedMirrorNoLongerReactsToSwitches)
{
    auto model = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*model);
    switchSpace();
    model->removeMirror(*mirror);
    time.advance(1);
    EXPECT_TRUE(mirror->isSwitchingSpace.peek());  // its restore was cancelled with it
    switchSpace();
    swipe();
    EXPECT_TRUE(model->isSwitchingSpace.peek());
    EXPECT_EQ(time.queue().pendingCount(), 3u);  // the primary's restore and periodic work only
}
