#include "Model/IslandTestSupport.h"

using namespace vesk;
using vesk::test::PlatformTest;

class NotchMeasurementTest : public PlatformTest {
protected:
    std::shared_ptr<NotchViewModel> model = settledPrimary();
};

TEST_F(NotchMeasurementTest, NotchedScreenInNotchStyle)
{
    const auto screen = plug(laptop());
    model->updateNotch(screen, IslandStyle::notch, false);
    EXPECT_EQ(model->physicalNotchSize.peek(), (Size{185, 32}));
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{185, 32}));
    EXPECT_EQ(model->notchSize(), (Size{185, 33}));
    EXPECT_EQ(model->notchDisplay, screen.displayNumber);
    defaults().set(settings::notchWidthAdjustment, 20.0);
    defaults().set(settings::notchHeightAdjustment, 10.0);
    EXPECT_EQ(model->notchSize(), (Size{205, 43}));
    defaults().set(settings::notchWidthAdjustment, -30.0);  // negative adjustments count as none
    EXPECT_EQ(model->notchSize(), (Size{185, 43}));
}

TEST_F(NotchMeasurementTest, NotchedScreenInPillStyleHangsBelowTheNotch)
{
    defaults().set(settings::notchWidthAdjustment, 20.0);
    model->updateNotch(plug(laptop()), IslandStyle::pill, false);
    EXPECT_EQ(model->style.peek(), IslandStyle::pill);
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{124, 30}));
    EXPECT_EQ(model->physicalNotchSize.peek(), (Size{185, 32}));
    EXPECT_TRUE(model->isBelowNotch.peek());
    EXPECT_EQ(model->pillTopInset.peek(), 38);
    EXPECT_EQ(model->notchSize(), (Size{124, 30}));
}

TEST_F(NotchMeasurementTest, PlainScreenIsMeasuredByItsMenuBar)
{
    const auto screen = plug(external("DP-1", 24));
    model->updateNotch(screen, IslandStyle::pill, false);
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{104, 18}));
    EXPECT_EQ(model->pillTopInset.peek(), 3);
    EXPECT_FALSE(model->isBelowNotch.peek());
    model->updateNotch(screen, IslandStyle::notch, false);
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{190, 24}));
    EXPECT_EQ(model->notchSize(), (Size{190, 25}));

    // Without a top bar the notch is still 24 high.
    model->updateNotch(plug(external("DP-2", 0)), IslandStyle::notch, false);
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{190, 24}));
}

TEST_F(NotchMeasurementTest, StagedCallWithTheSameStyleMeasuresAtOnce)
{
    model->updateNotch(plug(laptop()), IslandStyle::notch, true);
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{185, 32}));
    EXPECT_FALSE(model->isMorphing.peek());
}

TEST_F(NotchMeasurementTest, StagedChangeWhileClosedToNotchIsInstant)
{
    const auto screen = plug(laptop());
    model->updateNotch(screen, IslandStyle::pill, false);
    time.advance(2);
    model->updateNotch(screen, IslandStyle::notch, true);
    EXPECT_TRUE(model->isMorphing.peek());
    EXPECT_TRUE(model->isShowingOff.peek());
    EXPECT_EQ(model->style.peek(), IslandStyle::pill);  // nothing applied or measured yet
    time.flush();
    EXPECT_EQ(model->style.peek(), IslandStyle::notch);
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{185, 32}));
    EXPECT_TRUE(model->isMorphing.peek());
    time.advance(0.04);
    EXPECT_FALSE(model->isMorphing.peek());
    time.advance(1.79);
    EXPECT_TRUE(model->isShowingOff.peek());
    time.advance(0.02);
    EXPECT_FALSE(model->isShowingOff.peek());
}

TEST_F(NotchMeasurementTest, StagedChangeWhileOpenOrToPillIsAnimated)
{
    const auto screen = plug(laptop());
    model->updateNotch(screen, IslandStyle::notch, false);
    time.advance(2);
    model->updateNotch(screen, IslandStyle::pill, true);  // closed and idle, but the capsule is not tucked away yet
    EXPECT_EQ(model->state(), NotchState::closed);
    time.advance(0.29);
    EXPECT_EQ(model->style.peek(), IslandStyle::notch);
    time.advance(0.02);
    EXPECT_EQ(model->style.peek(), IslandStyle::pill);
    EXPECT_TRUE(model->isMorphing.peek());
    time.advance(0.05);
    EXPECT_FALSE(model->isMorphing.peek());

    time.advance(2);
    model->open(false);
    model->updateNotch(screen, IslandStyle::notch, true);
    time.advance(0.29);
    EXPECT_EQ(model->style.peek(), IslandStyle::pill);
    time.advance(0.02);
    EXPECT_EQ(model->style.peek(), IslandStyle::notch);
}

TEST_F(NotchMeasurementTest, StyleChangeDuringAMorphStartsOver)
{
    const auto screen = plug(laptop());
    model->updateNotch(screen, IslandStyle::notch, false);
    model->updateNotch(screen, IslandStyle::pill, true);
    time.advance(0.1);
    model->updateNotch(screen, IslandStyle::pill, true);  // same target: the pending change goes on
    time.advance(0.21);
    EXPECT_EQ(model->style.peek(), IslandStyle::pill);
}

TEST_F(NotchMeasurementTest, RevertedStagedChangeLeavesTheRecordedStyleApplied)
{
    const auto screen = plug(laptop());
    model->updateNotch(screen, IslandStyle::notch, false);
    time.advance(2);
    model->updateNotch(screen, IslandStyle::pill, true);
    time.advance(0.1);
    model->updateNotch(screen, IslandStyle::notch, true);  // the controller went back to notch
    EXPECT_FALSE(model->isMorphing.peek());
    time.advance(5);
    EXPECT_EQ(model->style.peek(), IslandStyle::notch);
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{185, 32}));
    EXPECT_FALSE(model->isShowingOff.peek());
    EXPECT_EQ(model->state(), NotchState::closed);
}

TEST_F(NotchMeasurementTest, RevertAfterTheNewStyleWasAppliedChangesBack)
{
    const auto screen = plug(laptop());
    model->updateNotch(screen, IslandStyle::notch, false);
    time.advance(2);
    model->updateNotch(screen, IslandStyle::pill, true);
    time.advance(0.31);  // pill applied, the island not yet grown back
    ASSERT_EQ(model->style.peek(), IslandStyle::pill);
    model->updateNotch(screen, IslandStyle::notch, true);
    EXPECT_TRUE(model->isMorphing.peek());
    time.advance(5);
    EXPECT_EQ(model->style.peek(), IslandStyle::notch);
    EXPECT_FALSE(model->isMorphing.peek());
    EXPECT_EQ(model->measuredNotchSize.peek(), (Size{185, 32}));
}

TEST_F(NotchMeasurementTest, BecomingAPillHandsTheActivityToTheBubble)
{
    model->countdown().start();
    ASSERT_FALSE(model->lastBubble.peek());
    model->updateNotch(plug(laptop()), IslandStyle::pill, false);
    EXPECT_EQ(model->lastBubble.peek(), Peek::timer());
}

TEST_F(NotchMeasurementTest, PillStyleShowsNoSizePreview)
{
    model->updateNotch(plug(laptop()), IslandStyle::pill, false);
    model->setAdjustingSize(true, true);
    EXPECT_FALSE(model->sizeAdjustmentPreview.peek());
}

TEST_F(NotchMeasurementTest, TornDownMirrorDropsItsStyleChange)
{
    const auto screen = plug(laptop());
    auto mirror = NotchViewModel::makeMirror(*model);
    mirror->updateNotch(screen, IslandStyle::pill, true);
    model->removeMirror(*mirror);
    time.advance(1);
    EXPECT_EQ(mirror->style.peek(), IslandStyle::notch);
    EXPECT_TRUE(mirror->isMorphing.peek());
}
