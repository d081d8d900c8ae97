#include "IslandTestSupport.h"

using namespace vesk;
using vesk::test::IslandTest;

class HoverAndPagesTest : public IslandTest {
protected:
    HoverAndPagesTest() { defaults().set(settings::openOnHover, true); }
    std::shared_ptr<NotchViewModel> model = settledPrimary();
};

TEST_F(HoverAndPagesTest, OpensOnHoverAfterAShortDelayOnly)
{
    model->setHovering(true);
    time.advance(0.11);
    model->setHovering(false);
    time.advance(1);
    EXPECT_FALSE(model->isOpen.peek());

    model->setHovering(true);
    time.advance(0.119);
    EXPECT_FALSE(model->isOpen.peek());
    time.advance(0.002);
    EXPECT_TRUE(model->isOpen.peek());
    // alignment on each entry, generic on opening
    EXPECT_EQ(patternsOf(*model),
              (std::vector{HapticPattern::alignment, HapticPattern::alignment, HapticPattern::generic}));
}

TEST_F(HoverAndPagesTest, LeavingClosesUnlessAControlIsDragged)
{
    model->open(false);
    model->setHovering(true);
    // only the open's calendar refresh, the 15 s refresh and the touchpad look-out
    EXPECT_EQ(time.queue().pendingCount(), 3u);
    EXPECT_TRUE(haptics.entries.empty());  // entering the open island gives no hover haptic

    model->isInteracting = true;
    model->setHovering(false);
    time.flush();
    EXPECT_TRUE(model->isOpen.peek());
    model->endInteraction();  // released outside: closes without a haptic
    EXPECT_FALSE(model->isOpen.peek());
    EXPECT_TRUE(haptics.entries.empty());

    model->open(false);
    model->setHovering(true);
    model->setHovering(false);
    time.flush();
    EXPECT_FALSE(model->isOpen.peek());
    EXPECT_EQ(patternsOf(*model), std::vector{HapticPattern::alignment});
}

TEST_F(HoverAndPagesTest, ComingBackBeforeTheCloseDelayKeepsItOpen)
{
    defaults().set(settings::closeDelay, 0.5);
    model->open(false);
    model->setHovering(true);
    model->setHovering(false);
    time.advance(0.4);
    model->setHovering(true);
    time.advance(1);
    EXPECT_TRUE(model->isOpen.peek());
}

TEST_F(HoverAndPagesTest, PinnedHoverIsNeverLeft)
{
    model->isPinnedHovering = true;
    model->setHovering(true);
    model->setHovering(false);
    EXPECT_TRUE(model->isHovering.peek());
}

TEST_F(HoverAndPagesTest, OpenOnAnOpenIslandChangesNothing)
{
    model->open(false, IslandPage::timer());
    EXPECT_EQ(model->page(), 2);
    model->open(false, IslandPage::calendar());
    EXPECT_EQ(model->page(), 2);

    model->close(false);
    defaults().set(settings::showCalendar, false);
    model->open(false, IslandPage::calendar());  // hidden page: stays where it was
    EXPECT_EQ(model->pages()[static_cast<size_t>(model->page())], IslandPage::timer());
}

TEST_F(HoverAndPagesTest, OpeningLeavesTheReadoutButEndsPreviewsAndDismissal)
{
    model->nowPlaying().track = playing("Song");
    model->previewTrack();
    model->show(Peek::battery(30, false), 3);
    model->isActivityDismissed = true;
    model->isPreviewingEvent = true;
    model->open(false);
    EXPECT_TRUE(model->peek.peek());
    EXPECT_FALSE(model->isPreviewingTrack.peek());
    EXPECT_FALSE(model->isPreviewingEvent.peek());
    EXPECT_FALSE(model->isActivityDismissed.peek());
    model->close(false);
    time.advance(5);
    EXPECT_EQ(model->state(), NotchState::live);  // the preview did not resume
}

TEST_F(HoverAndPagesTest, OpeningWithoutAPageFollowsTheVisibleActivity)
{
    model->countdown().start();
    model->open(false);
    EXPECT_EQ(model->page(), 2);
}

TEST_F(HoverAndPagesTest, TurningClampsAndOnlyChangesGiveHaptics)
{
    model->open(false);
    haptics.entries.clear();
    model->dragPages(12);
    model->turnPage(-1);
    EXPECT_EQ(model->page(), 0);
    EXPECT_EQ(model->pageDrag.peek(), 0);
    EXPECT_TRUE(haptics.entries.empty());
    model->turnPage(5);
    EXPECT_EQ(model->page(), 2);
    EXPECT_EQ(patternsOf(*model), std::vector{HapticPattern::levelChange});
}

TEST_F(HoverAndPagesTest, PageDragTurnsPastFortyPercentOrOnAFlick)
{
    model->open(false);
    const double w = model->openSize().width;
    model->dragPages(-0.41 * w);
    model->endPageDrag(0);
    EXPECT_EQ(model->page(), 1);
    model->dragPages(-0.39 * w);
    model->endPageDrag(0);
    EXPECT_EQ(model->page(), 1);
    EXPECT_EQ(model->pageDrag.peek(), 0);
    model->dragPages(-5);
    model->endPageDrag(-15);
    EXPECT_EQ(model->page(), 2);
    model->dragPages(-0.5 * w);  // a drag left with a flick right: previous wins
    model->endPageDrag(15);
    EXPECT_EQ(model->page(), 1);
}

TEST_F(HoverAndPagesTest, DraggingBeyondTheEndsIsARubberBand)
{
    model->open(false);
    model->dragPages(40);
    EXPECT_DOUBLE_EQ(model->pageDrag.peek(), 10);
    model->dragPages(-20);  // back towards the pages: full distance
    EXPECT_DOUBLE_EQ(model->pageDrag.peek(), -10);
    model->turnPage(10);
    model->dragPages(-40);
    EXPECT_DOUBLE_EQ(model->pageDrag.peek(), -10);
}

TEST_F(HoverAndPagesTest, ScrollingDismissesOnlyWhatLasts)
{
    model->show(Peek::volume(0.5f, false));
    model->countdown().start();
    model->scrollStep(false);
    EXPECT_FALSE(model->isActivityDismissed.peek());
    time.advance(2);
    ASSERT_EQ(model->state(), NotchState::peek);
    model->scrollStep(false);
    EXPECT_TRUE(model->isActivityDismissed.peek());
    EXPECT_EQ(model->state(), NotchState::closed);
    model->scrollStep(true);
    EXPECT_FALSE(model->isActivityDismissed.peek());
    EXPECT_FALSE(model->isOpen.peek());  // the first step down only recalls
    EXPECT_EQ(patternsOf(*model), (std::vector{HapticPattern::alignment, HapticPattern::alignment}));
    model->scrollStep(true);
    EXPECT_TRUE(model->isOpen.peek());
}

TEST_F(HoverAndPagesTest, ScrollingTheOpenIslandPagesAndClosesFromTheFirstPage)
{
    model->open(false);
    model->scrollStep(true);
    EXPECT_EQ(model->page(), 1);
    model->scrollStep(false);
    EXPECT_EQ(model->page(), 0);
    defaults().set(settings::scrollToOpen, false);
    model->scrollStep(false);
    EXPECT_TRUE(model->isOpen.peek());
    defaults().set(settings::scrollToOpen, true);
    model->scrollStep(false);
    EXPECT_FALSE(model->isOpen.peek());
}

TEST_F(HoverAndPagesTest, CloseIsRefusedWhilePinnedOrDuringTheTour)
{
    model->open(false);
    model->hoveredControls = 2;
    model->isPinnedOpen = true;
    model->close(true);
    EXPECT_TRUE(model->isOpen.peek());
    model->isPinnedOpen = false;

    model->startOnboarding(0);  // closes the island itself
    model->isOpen = true;
    model->close(true);
    EXPECT_TRUE(model->isOpen.peek());
    EXPECT_EQ(model->hoveredControls, 2);
}

TEST_F(HoverAndPagesTest, CursorIsAHandOverTheClosedIslandAndOverControls)
{
    EXPECT_EQ(model->cursor(), NotchViewModel::Cursor::pointingHand);
    model->open(false);
    EXPECT_EQ(model->cursor(), NotchViewModel::Cursor::arrow);
    model->hoveredControls = 1;
    EXPECT_EQ(model->cursor(), NotchViewModel::Cursor::pointingHand);
}
