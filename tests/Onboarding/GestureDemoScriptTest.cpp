#include "Base/VirtualTime.h"
#include "Onboarding/GestureDemo.h"
#include "Onboarding/GestureDemoScript.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace vesk;

namespace {

constexpr QPointF overIsland{0.5, 0.1};

class DemoRunner : public ::testing::Test {
protected:
    std::shared_ptr<GestureDemoState> state = std::make_shared<GestureDemoState>();

    // The instants at which `happened` turns from false to true, watched every 10 ms.
    std::vector<double> onsets(GestureDemoRunner &runner, double seconds, const std::function<bool()> &happened)
    {
        std::vector<double> out;
        bool was = happened();
        runner.start();
        for (double t = 0; t < seconds; t += 0.01) {
            time.advance(0.01);
            const bool now = happened();
            if (now && !was)
                out.push_back(time.now());
            was = now;
        }
        return out;
    }
    bool atRest() const
    {
        return state->pointer.peek() == GestureDemoState::startPoint && !state->pressed.peek() && !state->swollen.peek()
               && !state->isOpen.peek() && !state->menu.peek() && state->pull.peek() == 0;
    }

    VirtualTime time;
};

}  // namespace

TEST_F(DemoRunner, EachCycleWaitsItsScriptsTime)
{
    const double expected[] = {2.55, 3.15, 4.0, 3.0, 2.82};
    for (int raw = 0; raw < gestureCount; ++raw) {
        const Gesture gesture = Gesture(raw);
        EXPECT_NEAR(cycleSeconds(gesture), expected[raw], 1e-9) << gestureCaseName(gesture).toStdString();
        // The same period as played: the first change of every cycle comes one cycle after the last.
        state = std::make_shared<GestureDemoState>();
        GestureDemoRunner runner(gesture, state);
        auto firstOfCycle = gesture == Gesture::scroll ? std::function<bool()>([&] { return state->page.peek() == 1; })
                                                       : std::function<bool()>([&] { return state->pointer.peek() == overIsland; });
        const std::vector<double> t = onsets(runner, 3 * expected[raw] + 0.5, firstOfCycle);
        ASSERT_GE(t.size(), 3u) << raw;
        EXPECT_NEAR(t[1] - t[0], expected[raw], 0.011) << raw;
        EXPECT_NEAR(t[2] - t[1], expected[raw], 0.011) << raw;
        runner.cancel();
    }
}

TEST_F(DemoRunner, MovesSpringAtLeastAFifthOfASecond)
{
    EXPECT_EQ(moveSpring(0.05), kit::Animation::spring(0.15, 1));
    EXPECT_EQ(moveSpring(0.55), kit::Animation::spring(0.55, 1));
    // A move waits exactly its own wait, whatever its spring: the hover's first change lands 0.55 s in.
    GestureDemoRunner runner(Gesture::hover, state);
    runner.start();
    time.advance(0.549);
    EXPECT_FALSE(state->swollen.peek());
    time.advance(0.002);
    EXPECT_TRUE(state->swollen.peek());
}

TEST_F(DemoRunner, ResetSnapsBackButKeepsTheFlipAndTheScrollsOpenness)
{
    auto dirty = [&] {
        state->pointer = QPointF(0.62, 0.1);
        state->pressed = true;
        state->swollen = true;
        state->isOpen = true;
        state->page = 2;
        state->pull = 0.7;
        state->flipped = true;
        state->menu = true;
    };
    dirty();
    GestureDemoRunner(Gesture::click, state).reset();
    EXPECT_TRUE(atRest());
    EXPECT_EQ(state->page.peek(), 0);
    EXPECT_TRUE(state->flipped.peek());

    dirty();
    GestureDemoRunner(Gesture::scroll, state).reset();
    EXPECT_TRUE(state->isOpen.peek()) << "the scroll demonstration keeps the island open between cycles";
    EXPECT_EQ(state->page.peek(), 0);
    EXPECT_EQ(state->pointer.peek(), GestureDemoState::startPoint);
    EXPECT_TRUE(state->flipped.peek());
}

TEST_F(DemoRunner, CancellingInASleepFinishesTheCycleAtOnce)
{
    // Pressed (click, 0.9 s), open (click, 1.5 s), menu shown (right-click, 1.2 s), pulled (swipe, 0.9 s).
    const std::pair<Gesture, double> moments[] = {
        {Gesture::click, 0.9}, {Gesture::click, 1.5}, {Gesture::rightClick, 1.2}, {Gesture::swipe, 0.9}, {Gesture::hover, 0.2}};
    for (const auto &[gesture, at] : moments) {
        state = std::make_shared<GestureDemoState>();
        GestureDemoRunner runner(gesture, state);
        runner.start();
        time.advance(at);
        ASSERT_FALSE(atRest()) << gestureCaseName(gesture).toStdString() << " at " << at;
        runner.cancel();
        EXPECT_TRUE(atRest()) << gestureCaseName(gesture).toStdString() << " at " << at;
        EXPECT_FALSE(runner.isRunning());
        EXPECT_EQ(time.queue().pendingCount(), 0u) << "no sleep is left waiting";
        time.advance(10);
        EXPECT_TRUE(atRest()) << "nothing runs after the cancel";
    }
}

TEST_F(DemoRunner, ScrollVisitsTheThreePagesInOrder)
{
    GestureDemoRunner runner(Gesture::scroll, state);
    std::vector<int> pages;
    runner.start();
    int last = state->page.peek();
    EXPECT_TRUE(state->isOpen.peek()) << "it opens with the pointer still at the start";
    for (double t = 0; t < 3.9; t += 0.01) {
        time.advance(0.01);
        if (state->page.peek() != last)
            pages.push_back(last = state->page.peek());
    }
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 0}));
    EXPECT_FALSE(state->isOpen.peek());
}

TEST_F(DemoRunner, EverySwipeFlipsTheArtwork)
{
    GestureDemoRunner runner(Gesture::swipe, state);
    runner.start();
    time.advance(3.0 - 0.01);
    EXPECT_TRUE(state->flipped.peek()) << "orange after the first swipe";
    time.advance(3.0);
    EXPECT_FALSE(state->flipped.peek()) << "blue again after the second";
    runner.cancel();
    EXPECT_FALSE(state->flipped.peek());
}

TEST_F(DemoRunner, IdleUntilStartedAndRestartsFromAReset)
{
    GestureDemoRunner runner(Gesture::rightClick, state);
    time.advance(5);
    EXPECT_TRUE(atRest());
    EXPECT_EQ(time.queue().pendingCount(), 0u);
    runner.start();
    runner.start();  // already running: one loop only
    time.advance(1.0);
    runner.cancel();
    runner.start();
    EXPECT_TRUE(runner.isRunning());
    time.advance(0.51);
    EXPECT_TRUE(state->swollen.peek()) << "a new cycle from its first step";
    EXPECT_FALSE(state->menu.peek());
}

TEST(GestureDemoSizes, ClosedSwollenPressedPulledAndOpen)
{
    EXPECT_EQ(GestureDemo::islandSize(false, false, false, 0), QSizeF(138, 17.5));
    EXPECT_EQ(GestureDemo::islandSize(false, true, false, 0), QSizeF(144, 20.5));
    EXPECT_EQ(GestureDemo::islandSize(false, true, true, 0), QSizeF(140, 18.5));
    EXPECT_EQ(GestureDemo::islandSize(false, true, false, 1), QSizeF(162, 20.5));
    EXPECT_EQ(GestureDemo::islandSize(false, true, false, 0.5), QSizeF(153, 20.5)) << "the pull widens in proportion";
    for (bool swollen : {false, true})
        for (double pull : {0.0, 1.0})
            EXPECT_EQ(GestureDemo::islandSize(true, swollen, swollen, pull), QSizeF(184, 93)) << "open ignores the rest";
}
