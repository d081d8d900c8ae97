// The window controller driving the real island model: pointer, press, scroll and the tour on
// simulated displays, panels and pointer.
#include "Model/IslandTestSupport.h"
#include "Island/NotchWindowController.h"
#include "SimFactorySupport.h"
#include "Platform/sim/SimPanelWindow.h"
#include "Platform/sim/SimPointerMonitor.h"

#include <gmock/gmock.h>

using namespace vesk;
using ::testing::ElementsAre;

namespace {

class NotchViewModelBindingTest : public test::PlatformTest {
protected:
    NotchViewModelBindingTest()
    {
        defaults().set(settings::openOnHover, false);
        defaults().set(settings::hoverSwell, true);
        display = plug(external()).displayNumber;
    }

    NotchWindowController::Services services()
    {
        return {nullptr,
                test::makingInto(window),
                test::makingInto(pointer),
                {},
                [this](bool next) { skips.push_back(next); }};
    }

    std::unique_ptr<NotchWindowController> make()
    {
        auto controller = NotchWindowController::forIsland(model, display, IslandStyle::notch, services());
        time.advance(1);
        return controller;
    }

    QPointF islandCentre() const { return QPointF(1280, 10); }

    std::shared_ptr<NotchViewModel> model = settledPrimary();
    uint32_t display = 0;
    SimPanelWindow *window = nullptr;
    SimPointerMonitor *pointer = nullptr;
    std::vector<bool> skips;
};

TEST_F(NotchViewModelBindingTest, HoveringSwellsTheIslandAndTheHitAreaFollows)
{
    auto controller = make();
    const QRect before = window->shapeRegion().boundingRect();
    pointer->moveTo(islandCentre());
    EXPECT_TRUE(model->isHovering.peek());
    EXPECT_FALSE(window->ignoresPointer());
    time.flush();
    const QRect after = window->shapeRegion().boundingRect();
    EXPECT_GT(after.width(), before.width()) << "the swollen island takes more of the pointer";
    EXPECT_NEAR(after.width(), model->size().width + 4, 1.0);
    EXPECT_EQ(window->cursor(), Qt::PointingHandCursor);

    pointer->moveTo(QPointF(300, 700));
    EXPECT_FALSE(model->isHovering.peek());
    time.advance(1);
    EXPECT_EQ(window->shapeRegion().boundingRect(), before) << "the hit area shrinks back with the island";
    EXPECT_FALSE(window->ignoresPointer()) << "and still takes the pointer there";
}

TEST_F(NotchViewModelBindingTest, QuickClickOpensAndAClickElsewhereCloses)
{
    auto controller = make();
    pointer->moveTo(islandCentre());
    window->pointer({PanelPointerEvent::Kind::press, 1, QPointF(380, 10), 0});
    pointer->press(1, 0, true);
    EXPECT_TRUE(model->isPressed.peek());
    time.advance(0.1);
    pointer->release(1, 0, true);
    time.advance(0.05);
    EXPECT_FALSE(model->isPressed.peek());
    EXPECT_TRUE(model->isOpen.peek());

    pointer->moveTo(QPointF(300, 700));
    pointer->press(1, 0, /*overOwnWindow*/ false);
    EXPECT_FALSE(model->isOpen.peek());
}

TEST_F(NotchViewModelBindingTest, SwipeToSkipMovesTheIslandAndSkipsAtTheEnd)
{
    model->nowPlaying().track = playing("Song");
    auto controller = make();
    pointer->moveTo(islandCentre());
    haptics.entries.clear();
    // Fingers moving right on a touchpad without natural scrolling: X reports scrolling right.
    window->scroll({5.0, 40, 0, true, false});
    window->scroll({5.01, 40, 0, true, false});
    EXPECT_GE(model->skipDrag().peek(), 1.0);
    time.advance(0.2);  // the stroke pauses: it ends
    EXPECT_THAT(skips, ElementsAre(true));
    EXPECT_EQ(model->skipDrag().peek(), 0.0);
    EXPECT_EQ(patternsOf(*model), (std::vector{HapticPattern::alignment, HapticPattern::levelChange}));
}

TEST_F(NotchViewModelBindingTest, TheTourHoldsTheKeyboard)
{
    auto controller = make();
    model->startOnboarding(0);
    time.flush();
    EXPECT_TRUE(window->hasKeyboardFocus());
    model->finishOnboarding();
    time.flush();
    EXPECT_FALSE(window->hasKeyboardFocus());
}

TEST_F(NotchViewModelBindingTest, IslandHiddenAsItIsMadeNeverShowsUntilUnlocked)
{
    NotchWindowFactory factory(services());
    auto island = factory.makeIsland(model, display, IslandStyle::notch);
    island->setHiddenWhileLocked(true);  // what the application does while the screen is locked
    time.advance(1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(&island->model(), model.get());
    island->reposition();  // a re-placement while locked keeps it hidden
    time.advance(1);
    EXPECT_FALSE(window->isVisible());
    island->setHiddenWhileLocked(false);
    time.flush();
    EXPECT_TRUE(window->isVisible());
}

}  // namespace
