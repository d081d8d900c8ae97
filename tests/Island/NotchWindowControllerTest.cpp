#include "FakeIslandModelSupport.h"
#include "Island/NotchWindowController.h"
#include "SimFactorySupport.h"
#include "Platform/sim/SimPanelWindow.h"
#include "Platform/sim/SimPointerMonitor.h"
#include "Platform/sim/SimScreens.h"
#include "Base/VirtualTime.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>

using namespace vesk;
using ::testing::Contains;
using test::FakeWindowModel;

namespace {

class NotchWindowControllerTest : public ::testing::Test {
protected:
    NotchWindowControllerTest()
    {
        screens.plug(QStringLiteral("eDP-1"), QSizeF(1440, 900));
        external = screens.plug(QStringLiteral("HDMI-1"), QSizeF(1920, 1080), 2.0).displayNumber;
        time.flush();
    }

    std::unique_ptr<NotchWindowController> make(uint32_t display, bool hidden = false)
    {
        NotchWindowController::Services services{
            &screens,
            test::makingInto(window),
            test::makingInto(pointer),
            {}};
        return std::make_unique<NotchWindowController>(
            std::shared_ptr<FakeWindowModel>(modelOwner), [this] { return model.view(); }, display, IslandStyle::notch,
            services, hidden);
    }

    VirtualTime time;
    SimScreens screens;
    uint32_t external = 0;
    std::shared_ptr<FakeWindowModel> modelOwner = std::make_shared<FakeWindowModel>();
    FakeWindowModel &model = *modelOwner;
    SimPanelWindow *window = nullptr;
    SimPointerMonitor *pointer = nullptr;
};

TEST_F(NotchWindowControllerTest, PlacesItsPanelAtTheTopCentreOfItsOwnDisplay)
{
    auto controller = make(external);
    // The second display starts at x = 1440 and runs at scale 2.
    EXPECT_EQ(controller->panel().frame(), QRectF(1440 + 960 - 380, 0, 760, 300));
    EXPECT_EQ(window->frame().size(), QSize(1520, 600));
    time.flush();
    EXPECT_EQ(window->content().size(), QSize(1520, 600)) << "drawn at the display's scale";
    ASSERT_EQ(model.notchUpdates.size(), 1u);
    EXPECT_EQ(model.notchUpdates[0], std::make_pair(QStringLiteral("HDMI-1"), true));

    // Its display goes: the panel stays where it was until the layout closes it.
    const QRect before = window->frame();
    screens.unplug(QStringLiteral("HDMI-1"));
    controller->reposition();
    EXPECT_EQ(window->frame(), before);
    EXPECT_EQ(model.notchUpdates.size(), 1u);
}

TEST_F(NotchWindowControllerTest, FadesInAndDrawsTheIslandAtTheModelsSize)
{
    auto controller = make(1);
    EXPECT_FALSE(window->isVisible()) << "shown on the next turn";
    time.flush();
    EXPECT_TRUE(window->isVisible());
    EXPECT_DOUBLE_EQ(window->opacity(), 0.0);
    EXPECT_EQ(window->content().pixelColor(380, 16), QColor(Qt::black)) << "drawn before the fade shows any of it";
    time.advance(0.35);
    EXPECT_DOUBLE_EQ(window->opacity(), 1.0);
    EXPECT_EQ(window->content().pixelColor(380, 16), QColor(Qt::black));
    EXPECT_EQ(qAlpha(window->content().pixel(380 + 110, 16)), 0);

    model.observedSize = QSizeF(300, 40);
    time.flush();
    EXPECT_EQ(window->content().pixelColor(380 + 140, 16), QColor(Qt::black)) << "follows the model's size";
}

TEST_F(NotchWindowControllerTest, ChangeOfSizeRerunsTheHitTestWithoutPointerMotion)
{
    auto controller = make(1);
    pointer->setPosition(QPointF(720 + 130, 10));  // beside the closed island
    pointer->moveTo(QPointF(720 + 130, 10));
    model.take();
    model.observedSize = QSizeF(300, 40);
    EXPECT_EQ(window->shapeRegion(), QRegion(QRect(380 - 102, -10, 204, 44))) << "asynchronously, on the main queue";
    time.flush();
    EXPECT_THAT(model.take(), Contains("hover"));
    EXPECT_EQ(window->shapeRegion(), QRegion(QRect(380 - 152, -10, 304, 52)));
    EXPECT_EQ(window->cursor(), Qt::PointingHandCursor);
    // Re-armed: the next change is followed too.
    model.observedSize = QSizeF(200, 32);
    time.flush();
    EXPECT_THAT(model.take(), Contains("unhover"));
    EXPECT_EQ(window->shapeRegion(), QRegion(QRect(380 - 102, -10, 204, 44)));
}

TEST_F(NotchWindowControllerTest, ThePanelTakesThePointerOverTheIslandBeforeThePointerArrives)
{
    auto controller = make(1);
    EXPECT_FALSE(window->ignoresPointer()) << "from the start, with the pointer nowhere near";
    EXPECT_EQ(window->shapeRegion(), QRegion(QRect(380 - 102, -10, 204, 44))) << "over the island alone";
    time.advance(1);
    // The pointer arrives and presses before the monitor has reported it moving.
    pointer->setPosition(QPointF(720, 10));
    window->pointer({PanelPointerEvent::Kind::press, 1, QPointF(380, 10), 0});
    pointer->press(1, 0, true);
    time.advance(0.1);
    pointer->release(1, 0, true);
    time.advance(0.05);
    EXPECT_THAT(model.take(), Contains("open default"));
}

TEST_F(NotchWindowControllerTest, ClicksElsewhereCloseTheIslandButNotClicksOnOwnWindows)
{
    auto controller = make(1);
    pointer->moveTo(QPointF(300, 500));
    model.take();
    pointer->press(1, 0, /*overOwnWindow*/ true);
    pointer->release(1, 0, true);
    EXPECT_THAT(model.take(), ::testing::Not(Contains("close")));
    pointer->press(1, 0, false);
    EXPECT_THAT(model.take(), Contains("close"));
}

TEST_F(NotchWindowControllerTest, PressOnThePanelOpensOnQuickRelease)
{
    auto controller = make(1);
    pointer->moveTo(QPointF(720, 10));
    window->pointer({PanelPointerEvent::Kind::press, 1, QPointF(380, 10), 0});
    pointer->press(1, 0, true);
    time.advance(0.2);
    pointer->release(1, 0, true);
    time.advance(0.05);
    EXPECT_THAT(model.take(), Contains("open default"));
}

TEST_F(NotchWindowControllerTest, TouchpadStrokeOnThePanelStepsTheIsland)
{
    auto controller = make(1);
    window->scroll({1.0, 0, 30, true, false});
    window->scroll({1.01, 0, 30, true, false});
    time.advance(1);
    EXPECT_THAT(model.take(), Contains("step down"));
}

TEST_F(NotchWindowControllerTest, TourTakesTheKeyboardAndGivesItBack)
{
    auto controller = make(1);
    model.onboarding = true;
    time.flush();
    EXPECT_TRUE(window->hasKeyboardFocus());
    model.onboarding = false;
    time.flush();
    EXPECT_FALSE(window->hasKeyboardFocus());
}

TEST_F(NotchWindowControllerTest, CloseStopsInputAndTrackingAndFadesOut)
{
    auto controller = make(1);
    time.advance(1);
    model.observedSize = QSizeF(300, 40);  // a tracking step is pending
    controller->close();
    EXPECT_THAT(model.take(), Contains("close"));
    time.flush();
    EXPECT_EQ(window->shapeRegion(), QRegion(QRect(380 - 102, -10, 204, 44))) << "the pending step did nothing";
    model.observedSize = QSizeF(400, 40);
    time.flush();
    EXPECT_EQ(window->shapeRegion(), QRegion(QRect(380 - 102, -10, 204, 44))) << "and did not re-arm";
    window->pointer({PanelPointerEvent::Kind::press, 1, QPointF(380, 10), 0});
    window->scroll({1.0, 0, 1, false, false});
    EXPECT_TRUE(model.take().empty()) << "no monitors left";
    time.advance(0.29);
    EXPECT_TRUE(window->isVisible());
    time.advance(0.02);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(NotchWindowControllerTest, ClosedIslandDroppedAtOnceStillFadesOut)
{
    auto controller = make(1);
    time.advance(1);
    controller->close();
    controller.reset();  // what the layout does with a departed display's island
    time.advance(0.15);
    EXPECT_TRUE(window->isVisible());
    EXPECT_GT(window->opacity(), 0.0);
    EXPECT_LT(window->opacity(), 1.0);
    time.advance(1);  // faded, ordered out and released
}

TEST_F(NotchWindowControllerTest, RecordingRunsGetNoInput)
{
    test::ScopedEnv record("VESK_DEBUG_RECORD", "");
    auto controller = make(1);
    EXPECT_EQ(pointer, nullptr) << "no monitor was even made";
    EXPECT_TRUE(window->ignoresPointer()) << "every click passes through the island";
    time.advance(0.35);
    EXPECT_DOUBLE_EQ(window->opacity(), 1.0) << "but the island is drawn and fades in";
}

TEST_F(NotchWindowControllerTest, IslandMadeWhileLockedNeverShowsUntilUnlock)
{
    for (bool hiddenAtConstruction : {true, false}) {
        auto controller = make(1, hiddenAtConstruction);
        if (!hiddenAtConstruction)
            controller->setHiddenWhileLocked(true);  // what the application does right after making it
        time.advance(1);
        EXPECT_EQ(window->shows, 0);
        controller->reposition();
        time.advance(1);
        EXPECT_FALSE(window->isVisible()) << "re-placing does not show it";
        controller->setHiddenWhileLocked(false);
        EXPECT_TRUE(window->isVisible());
        EXPECT_DOUBLE_EQ(window->opacity(), 1.0);
    }
}

TEST_F(NotchWindowControllerTest, LockingOrdersThePanelOutAndUnlockingBringsItBack)
{
    auto controller = make(external);
    time.advance(1);
    const QRect placed = window->frame();
    controller->setHiddenWhileLocked(true);
    EXPECT_FALSE(window->isVisible());
    screens.unplug(QStringLiteral("HDMI-1"));
    controller->reposition();
    controller->setHiddenWhileLocked(false);
    EXPECT_TRUE(window->isVisible()) << "also when its display went meanwhile";
    EXPECT_EQ(window->frame(), placed);
}

}  // namespace

TEST_F(NotchWindowControllerTest, ScreenReadersFindOneButtonPerVisibleNamedControl)
{
    NotchWindowController::Services services{&screens, test::makingInto(window), test::makingInto(pointer), {}};
    auto controller = std::make_unique<NotchWindowController>(
        std::shared_ptr<FakeWindowModel>(modelOwner),
        [] {
            using namespace kit;
            return HStack({.spacing = 0}, Button(Text(QStringLiteral("Play")).frame(40, 30), [] {}).accessibilityLabel(QStringLiteral("Pause")),
                          Fill(Color::white()).frame(50, 16).onTap([](QPointF) {}).debugName(QStringLiteral("scrubber")),
                          Button(Text(QStringLiteral("Gone")), [] {}).opacity(0),
                          Button(Text(QStringLiteral("Output")), [] {}).tooltip(QStringLiteral("Speakers")).contextMenu({}))
                .frame(760, 300, Alignment::topLeading());
        },
        external, IslandStyle::notch, services, false);
    time.advance(1);

    QAccessibleInterface *app = QAccessible::queryAccessibleInterface(qApp);
    ASSERT_TRUE(app);
    QAccessibleInterface *island = nullptr;
    for (int i = 0; i < app->childCount(); ++i)
        if (QAccessibleInterface *c = app->child(i); c && c->role() == QAccessible::Window && c->text(QAccessible::Name) == "Vesk")
            island = c;
    ASSERT_TRUE(island) << "the island is not among the application's windows";
    // The debug name is never spoken, the transparent button is not shown, and the menu around a
    // button is not a second control.
    ASSERT_EQ(island->childCount(), 2);
    QAccessibleInterface *pause = island->child(0);
    EXPECT_EQ(pause->role(), QAccessible::Button);
    EXPECT_EQ(pause->text(QAccessible::Name), QStringLiteral("Pause"));
    // The panel is at (1440 + 960 - 380, 0) points on a display of scale 2: desktop pixels.
    const QRect panel = window->frame();
    EXPECT_EQ(pause->rect(), QRect(panel.topLeft(), QSize(80, 60)));
    EXPECT_EQ(island->child(1)->text(QAccessible::Name), QStringLiteral("Speakers"));
    EXPECT_EQ(island->childAt(panel.left() + 10, panel.top() + 10), pause);

    // Hidden, the island has nothing to offer.
    controller->close();
    time.advance(1);
    EXPECT_EQ(island->childCount(), 0);
}
