#include "Model/Motion.h"
#include "Model/Defaults.h"
#include "FakeIslandModelSupport.h"
#include "Island/IslandInput.h"
#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace vesk;
using test::FakeIslandModel;
using ::testing::ElementsAre;
using Phase = IslandScrollEvent::Phase;

namespace {

// A 1440 x 900 display at the desktop's origin: its top centre is (720, 0).
class IslandInputTest : public ::testing::Test {
protected:
    IslandInputTest()
    {
        UserDefaults::standard().set(settings::swipeToSkip, true);
        input.setScreen(QRectF(0, 0, 1440, 900));
        input.mouseLocation = [this] { return mouse; };
        input.anyButtonHeld = [this] { return buttonHeld; };
        input.setIgnoresMouseEvents = [this](bool ignores) { passThrough.push_back(ignores); };
        input.performHaptic = [this](HapticPattern p) { haptics.push_back(p); };
        input.setCursor = [this](Qt::CursorShape shape) {
            model.calls.push_back(shape == Qt::PointingHandCursor ? "island cursor" : "arrow");
        };
    }
    ~IslandInputTest() override { UserDefaults::standard().remove(settings::swipeToSkip.key); }

    void wheel(double t, double dx, double dy, bool inverted = false)
    {
        input.scrolled({t, dx, dy, Phase::none, false, inverted});
    }
    void gesture(Phase phase, double t = 0, double dx = 0, double dy = 0)
    {
        input.scrolled({t, dx, dy, phase, false, false});
    }
    void click()
    {
        input.pressOnPanel();
        time.advance(0.1);
        input.leftReleased();
    }

    VirtualTime time;
    FakeIslandModel model;
    IslandInput input{model};
    QPointF mouse{720, 10};  // over the closed island
    bool buttonHeld = false;
    std::vector<bool> passThrough;
    std::vector<HapticPattern> haptics;
};

TEST_F(IslandInputTest, IslandRectCoversTheIslandAndRisesAboveTheDisplay)
{
    EXPECT_EQ(input.islandRect(), QRectF(720 - 100 - 2, -10, 204, 2 + 32 + 10));
    model.read.isOpen = true;
    model.read.size = QSizeF(600, 200);
    EXPECT_EQ(input.islandRect(), QRectF(720 - 300 - 12, -10, 624, 12 + 200 + 10));

    model.read.isOpen = false;
    model.read.size = QSizeF(200, 32);
    model.read.state = NotchState::onboarding;
    EXPECT_EQ(input.islandRect().width(), 224) << "the tour gets the open island's padding";

    input.setScreen(std::nullopt);
    EXPECT_TRUE(input.islandRect().isEmpty());
}

TEST_F(IslandInputTest, IslandRectGrowsRightForTheBubbleAndDownForPageDots)
{
    model.read.style = IslandStyle::pill;
    model.read.pillTopInset = 6;
    model.read.bubble = Peek::timer();
    model.read.bubbleWidth = 50;
    EXPECT_EQ(input.islandRect(), QRectF(618, -10, 204 + 56, 2 + 32 + 6 + 10));

    model.read.bubble.reset();
    model.read.style = IslandStyle::notch;
    model.read.isOpen = true;
    model.read.state = NotchState::open;
    model.read.showPageDots = true;
    model.read.pageCount = 1;
    EXPECT_EQ(input.islandRect().height(), 12 + 32 + 10) << "one page shows no dots";
    model.read.pageCount = 2;
    EXPECT_EQ(input.islandRect().height(), 12 + 32 + 10 + 24);
    model.read.showPageDots = false;
    EXPECT_EQ(input.islandRect().height(), 12 + 32 + 10);
}

TEST_F(IslandInputTest, PointerOverTheIslandHovers)
{
    input.pointerMoved(false);
    EXPECT_THAT(model.take(), ElementsAre("hover", "island cursor"));

    mouse = QPointF(300, 400);
    input.pointerMoved(false);
    EXPECT_THAT(model.take(), ElementsAre("unhover", "arrow"));
    input.pointerMoved(false);
    EXPECT_THAT(model.take(), ElementsAre("unhover")) << "the arrow is set once, on leaving";
}

// The panel's hit area is the island's rectangle: the panel takes the pointer there before the
// pointer arrives (a click that comes with it reaches the island) and lets it through elsewhere.
TEST_F(IslandInputTest, APlacedIslandTakesThePointerWhereverThePointerIs)
{
    IslandInput fresh{model};
    fresh.mouseLocation = [this] { return mouse; };
    fresh.setIgnoresMouseEvents = [this](bool ignores) { passThrough.push_back(ignores); };
    EXPECT_TRUE(fresh.ignoresMouseEvents()) << "nothing to take the pointer for before it is placed";
    mouse = QPointF(300, 400);
    fresh.pointerMoved(false);
    EXPECT_TRUE(passThrough.empty());

    fresh.setScreen(QRectF(0, 0, 1440, 900));
    EXPECT_THAT(passThrough, ElementsAre(false)) << "placed, with the pointer far away";
    for (QPointF at : {QPointF(720, 10), QPointF(300, 400), QPointF(720, 10)}) {
        mouse = at;
        fresh.pointerMoved(false);
        fresh.pointerMoved(true);
    }
    EXPECT_THAT(passThrough, ElementsAre(false)) << "the pointer's comings and goings change nothing";
    EXPECT_FALSE(fresh.ignoresMouseEvents());

    fresh.setScreen(std::nullopt);
    EXPECT_THAT(passThrough, ElementsAre(false, true));
}

TEST_F(IslandInputTest, ClickOutsideClosesAndDragsChangeNothing)
{
    mouse = QPointF(300, 400);
    input.pointerMoved(true);
    EXPECT_THAT(model.take(), ElementsAre("unhover", "close"));

    // A drag across the island with a button held: neither hover nor pass-through changes.
    buttonHeld = true;
    mouse = QPointF(720, 10);
    input.pointerMoved(false);
    EXPECT_TRUE(model.take().empty());
    EXPECT_TRUE(passThrough.empty());
}

TEST_F(IslandInputTest, QuickClickOpensAfterHoldingThePressedLook)
{
    input.pressOnPanel();
    EXPECT_TRUE(model.read.isPressed);
    time.advance(0.3);
    input.leftReleased();
    EXPECT_TRUE(model.read.isPressed) << "held until the island opens";
    time.advance(0.044);
    EXPECT_THAT(model.take(), ElementsAre("hover", "island cursor", "pressed"));
    time.advance(0.002);
    EXPECT_THAT(model.take(), ElementsAre("unpressed", "open default"));
}

TEST_F(IslandInputTest, LongPressOrReleaseOutsideOpensNothing)
{
    input.pressOnPanel();
    time.advance(0.6);
    input.leftReleased();
    time.advance(1);
    EXPECT_THAT(model.take(), ElementsAre("hover", "island cursor", "pressed", "unpressed"));

    input.pressOnPanel();
    time.advance(0.1);
    mouse = QPointF(300, 400);
    input.leftReleased();
    time.advance(1);
    EXPECT_THAT(model.take(), ElementsAre("hover", "island cursor", "pressed", "unpressed"));
}

TEST_F(IslandInputTest, ClickOnTheBubbleOpensItsPage)
{
    model.read.style = IslandStyle::pill;
    model.read.bubble = Peek::timer();
    model.read.bubbleWidth = 50;
    mouse = QPointF(720 + 100 + 4, 10);  // right of the island's edge + 3
    click();
    time.advance(0.1);
    EXPECT_EQ(model.take().back(), "open timer");

    model.read.bubble = Peek::custom(ExtensionActivity{"com.example.cook", "flame", QColor(Qt::red), QStringLiteral("Pasta"), false});
    click();
    time.advance(0.1);
    EXPECT_EQ(model.take().back(), "open ext:com.example.cook");

    mouse = QPointF(720 + 100 + 3, 10);  // not beyond the edge + 3: the island itself
    click();
    time.advance(0.1);
    EXPECT_EQ(model.take().back(), "open default");
}

TEST_F(IslandInputTest, NoPressWhileOpenOrDuringTheTourOrAnUpdate)
{
    for (auto setUp : std::vector<std::function<void()>>{
             [&] { model.read.isOpen = true; }, [&] { model.read.state = NotchState::onboarding; },
             [&] { model.read.state = NotchState::update; }}) {
        model.read.isOpen = false;
        model.read.state = NotchState::closed;
        setUp();
        click();
        time.advance(1);
        for (const auto &call : model.take())
            EXPECT_EQ(call.find("open"), std::string::npos) << call;
        EXPECT_FALSE(model.read.isPressed);
    }
}

TEST_F(IslandInputTest, WheelActsAtMostOncePerThreeTenthsBetweenActedEvents)
{
    wheel(10.0, 0, -1);
    wheel(10.2, 0, -1);
    wheel(10.3, 0, -1);  // exactly 0.3 after the acted one: still locked out
    wheel(10.31, 0, -1);
    wheel(10.5, 0, -1);
    wheel(10.62, 0, 1);
    EXPECT_THAT(model.take(), ElementsAre("step down", "step down", "step up"));
}

TEST_F(IslandInputTest, EventClockWrappingDoesNotLockTheWheelOut)
{
    wheel(4294967.0, 0, -1);
    wheel(0.5, 0, -1);  // the server's millisecond clock wrapped
    gesture(Phase::began, 4294967.0);
    gesture(Phase::changed, 4294967.0, 0, -50);
    gesture(Phase::changed, 0.6, 0, -50);
    EXPECT_THAT(model.take(), ElementsAre("step down", "step down", "step down", "step down"));
}

TEST_F(IslandInputTest, WheelFollowsTheDevicesDirection)
{
    wheel(10, 0, 1, /*inverted*/ true);
    EXPECT_THAT(model.take(), ElementsAre("step down"));
    wheel(11, 0, 0);
    EXPECT_TRUE(model.take().empty()) << "an empty notch does not even count for the lock-out";
    wheel(11.1, 0, -1);
    EXPECT_THAT(model.take(), ElementsAre("step down"));
}

TEST_F(IslandInputTest, SidewaysWheelTurnsPagesOrSkipsTracks)
{
    model.read.isOpen = true;
    wheel(10, -1, 0);
    wheel(11, 1, 0.5);
    EXPECT_THAT(model.take(), ElementsAre("turnPage 1", "turnPage -1"));

    model.read.isOpen = false;
    wheel(12, -1, 0);
    wheel(13, 1, 0);
    EXPECT_THAT(model.take(), ElementsAre("next track", "previous track"));
    EXPECT_THAT(haptics, ElementsAre(HapticPattern::levelChange, HapticPattern::levelChange));

    UserDefaults::standard().set(settings::swipeToSkip, false);
    wheel(14, -1, 0);
    model.read.hasTrack = false;
    UserDefaults::standard().set(settings::swipeToSkip, true);
    wheel(15, -1, 0);
    EXPECT_TRUE(model.take().empty());
}

TEST_F(IslandInputTest, AxisLocksAboveHalfAPointAndATieGoesVertical)
{
    model.read.isOpen = true;
    gesture(Phase::began);
    gesture(Phase::changed, 1, 0.5, 0.3);  // too small: no axis
    gesture(Phase::changed, 1.01, 5, 5);   // a tie: vertical
    gesture(Phase::changed, 1.02, 80, 0);  // locked vertical: sideways travel is not a page drag
    EXPECT_TRUE(model.take().empty());
    gesture(Phase::changed, 1.03, 0, -70);
    EXPECT_THAT(model.take(), ElementsAre("step down")) << "-5 + -70 travel downwards past 60 while open";

    gesture(Phase::ended, 2);
    gesture(Phase::began, 3);
    gesture(Phase::changed, 3, 0.6, 0.1);
    EXPECT_THAT(model.take(), ElementsAre("dragPages 0")) << "locked horizontal at 0.6";
}

TEST_F(IslandInputTest, VerticalStrokeStepsPastFortyClosedAtMostEveryTwentyEightHundredths)
{
    gesture(Phase::began, 10);
    gesture(Phase::changed, 10.00, 0, -20);
    gesture(Phase::changed, 10.01, 0, -20);  // travel 40: not past it
    EXPECT_TRUE(model.take().empty());
    gesture(Phase::changed, 10.02, 0, -1);
    EXPECT_THAT(model.take(), ElementsAre("step down"));
    // Within 0.28 s of the step every delta is thrown away, however large.
    gesture(Phase::changed, 10.20, 0, -100);
    gesture(Phase::changed, 10.29, 0, -30);
    EXPECT_TRUE(model.take().empty());
    gesture(Phase::changed, 10.31, 0, -30);
    gesture(Phase::changed, 10.32, 0, 100);
    EXPECT_THAT(model.take(), ElementsAre("step up")) << "counting restarted after the lock-out";
}

TEST_F(IslandInputTest, MomentumEventsAreIgnored)
{
    gesture(Phase::began, 10);
    input.scrolled({10.1, 0, -100, Phase::none, true, false});
    input.scrolled({10.1, 0, -100, Phase::changed, true, false});
    EXPECT_TRUE(model.take().empty());
}

TEST_F(IslandInputTest, PageDragFollowsTheFingersAndSettlesWithTheLastDelta)
{
    model.read.isOpen = true;
    gesture(Phase::began, 10);
    gesture(Phase::changed, 10.01, -10, 1);
    gesture(Phase::changed, 10.02, -16, 0);
    gesture(Phase::ended, 10.1);
    EXPECT_THAT(model.take(), ElementsAre("dragPages -10", "dragPages -16", "endPageDrag -16"));

    gesture(Phase::began, 11);
    gesture(Phase::changed, 11.01, -20, 0);
    gesture(Phase::cancelled, 11.1);
    EXPECT_THAT(model.take(), ElementsAre("dragPages -20", "endPageDrag 0")) << "a cancelled drag has no velocity";
}

TEST_F(IslandInputTest, SwipeToSkipTicksOnEachCrossingAndSkipsWhenTheGestureEnds)
{
    gesture(Phase::began, 10);
    gesture(Phase::changed, 10.01, -60, 0);  // 60 of 70 points
    EXPECT_DOUBLE_EQ(model.read.skipDrag, 60.0 / 70);
    EXPECT_TRUE(haptics.empty());
    gesture(Phase::changed, 10.02, -10, 0);  // exactly 70: crossed
    EXPECT_DOUBLE_EQ(model.read.skipDrag, 1.0);
    EXPECT_THAT(haptics, ElementsAre(HapticPattern::alignment));
    gesture(Phase::changed, 10.03, -200, 0);
    EXPECT_DOUBLE_EQ(model.read.skipDrag, 2.5) << "clamped";
    gesture(Phase::changed, 10.04, 200, 0);  // the travel (270) is not clamped: 70 is still 1.0
    EXPECT_EQ(haptics.size(), 1u);
    gesture(Phase::changed, 10.05, 10, 0);  // back below the threshold
    EXPECT_THAT(haptics, ElementsAre(HapticPattern::alignment, HapticPattern::alignment));
    gesture(Phase::changed, 10.06, -100, 0);
    EXPECT_EQ(haptics.size(), 3u);
    EXPECT_EQ(model.dragAnimations.back(), IslandInput::skipDragAnimation);
    gesture(Phase::ended, 10.2);
    EXPECT_THAT(model.take(), ElementsAre("next track"));
    EXPECT_EQ(model.read.skipDrag, 0.0);
    EXPECT_EQ(model.dragAnimations.back(), Motion::close);
    EXPECT_EQ(haptics.back(), HapticPattern::levelChange);
}

TEST_F(IslandInputTest, CancelledOrShortSwipeSpringsBackWithoutSkipping)
{
    gesture(Phase::began, 10);
    gesture(Phase::changed, 10.01, 80, 0);
    EXPECT_DOUBLE_EQ(model.read.skipDrag, -80.0 / 70);
    gesture(Phase::cancelled, 10.1);
    EXPECT_TRUE(model.take().empty());
    EXPECT_EQ(model.read.skipDrag, 0.0);

    gesture(Phase::began, 11);
    gesture(Phase::changed, 11.01, 69, 0);
    gesture(Phase::ended, 11.1);
    EXPECT_TRUE(model.take().empty());
    EXPECT_EQ(model.read.skipDrag, 0.0);
}

// The island may open under a sideways swipe (the pointer rests on it with open-on-hover): the
// closed island must not keep the swipe's offset, and nothing is skipped.
TEST_F(IslandInputTest, IslandOpeningMidSwipeStillSpringsTheOffsetBack)
{
    gesture(Phase::began, 10);
    gesture(Phase::changed, 10.01, -100, 0);
    EXPECT_GE(model.read.skipDrag, 1.0);
    model.read.isOpen = true;
    gesture(Phase::changed, 10.02, -5, 0);
    gesture(Phase::ended, 10.2);
    EXPECT_THAT(model.take(), ElementsAre("dragPages -5", "endPageDrag -5"));
    EXPECT_EQ(model.read.skipDrag, 0.0);
    EXPECT_EQ(model.dragAnimations.back(), Motion::close);
}

TEST_F(IslandInputTest, SwipeDoesNothingWithoutATrack)
{
    model.read.hasTrack = false;
    gesture(Phase::began, 10);
    gesture(Phase::changed, 10.01, -100, 0);
    gesture(Phase::ended, 10.2);
    EXPECT_EQ(model.read.skipDrag, 0.0);
    EXPECT_TRUE(model.dragAnimations.empty());
    EXPECT_TRUE(model.take().empty());
}

class ScrollPhaseSynthesizerTest : public ::testing::Test {
protected:
    VirtualTime time;
    std::vector<IslandScrollEvent> events;
    ScrollPhaseSynthesizer synthesizer{[this](const IslandScrollEvent &e) { events.push_back(e); }};
};

TEST_F(ScrollPhaseSynthesizerTest, AStrokeBeginsChangesAndEndsAfterAPause)
{
    synthesizer.feed(5.0, 0, 3, true, false);
    time.advance(0.1);
    synthesizer.feed(5.1, 1, 2, true, false);
    time.advance(0.149);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].phase, Phase::began);
    EXPECT_EQ(events[1].phase, Phase::changed);
    EXPECT_EQ(events[1].dy, -3) << "the rules read downward scrolling as negative";
    EXPECT_EQ(events[2].dx, -1);
    time.advance(0.002);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[3].phase, Phase::ended);
    EXPECT_FALSE(synthesizer.inGesture());
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST_F(ScrollPhaseSynthesizerTest, CancelEndsARunningStrokeOnly)
{
    synthesizer.cancel();
    EXPECT_TRUE(events.empty());
    synthesizer.feed(5.0, 0, 3, true, true);
    synthesizer.cancel();
    time.advance(1);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].phase, Phase::cancelled);
    EXPECT_TRUE(events[2].inverted);
}

TEST_F(ScrollPhaseSynthesizerTest, WheelNotchesPassThroughWithoutPhase)
{
    synthesizer.feed(5.0, 0, 1, false, false);
    time.advance(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].phase, Phase::none);
    EXPECT_EQ(events[0].dy, -1);
}

}  // namespace
