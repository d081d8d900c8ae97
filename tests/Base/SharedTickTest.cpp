#include "Base/SharedTick.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace vesk;

TEST(SharedTickTest, SubscribersRunOnOneWakeUpAndTheLastToLeaveStopsIt)
{
    VirtualTime time;
    SharedTick tick{0.1};
    std::vector<std::string> ran;
    EXPECT_FALSE(tick.isRunning()) << "nothing runs before a subscriber";
    Connection first = tick.subscribe([&] { ran.push_back("first"); });
    Connection second = tick.subscribe([&] { ran.push_back("second"); });
    EXPECT_EQ(time.queue().pendingCount(), 1u);
    time.advance(0.1);
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second"}));

    first.reset();
    time.advance(0.1);
    EXPECT_EQ(ran.back(), "second");
    EXPECT_EQ(ran.size(), 3u);
    second.reset();
    time.advance(0.3);
    EXPECT_EQ(ran.size(), 3u);
    EXPECT_FALSE(tick.isRunning());
    EXPECT_EQ(time.queue().pendingCount(), 0u);

    // A new subscriber starts it again.
    Connection third = tick.subscribe([&] { ran.push_back("third"); });
    time.advance(0.1);
    EXPECT_EQ(ran.back(), "third");
}

TEST(SharedTickTest, AConnectionOutlivingItsTickEndsQuietly)
{
    VirtualTime time;
    int runs = 0;
    Connection late;
    {
        SharedTick tick{0.1};
        late = tick.subscribe([&] { ++runs; });
        time.advance(0.1);
    }
    time.advance(0.5);
    late.reset();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST(SharedTickTest, ItWakesOnlyOnTicksWhereSomeoneRunsAndKeepsTheirCount)
{
    VirtualTime time;
    SharedTick tick{0.1};
    std::vector<double> slow, fast;
    Connection every20 = tick.subscribe([&] { slow.push_back(time.now()); }, 20);
    EXPECT_NEAR(*time.queue().nextDue(), 2.0, 1e-9) << "nothing is due on the 19 ticks before";
    time.advance(2.0);
    ASSERT_EQ(slow.size(), 1u);

    // A poll of every tick joining between two wake-ups starts at the next tick to come, and the
    // slow one keeps falling on ticks 40, 60, ...
    time.advance(0.55);
    Connection every1 = tick.subscribe([&] { fast.push_back(time.now()); });
    time.advance(0.06);
    ASSERT_EQ(fast.size(), 1u);
    EXPECT_NEAR(fast[0], 2.6, 1e-9);
    time.advance(1.395);  // to just past 4.0
    EXPECT_EQ(fast.size(), 15u);
    ASSERT_EQ(slow.size(), 2u);
    EXPECT_NEAR(slow[1], 4.0, 1e-9);

    // Once it leaves, the tick goes back to one wake-up in 20 after its next run.
    every1.reset();
    time.advance(0.1);
    EXPECT_NEAR(*time.queue().nextDue(), 6.0, 1e-9);
    time.advance(1.91);
    ASSERT_EQ(slow.size(), 3u);
    EXPECT_NEAR(slow[2], 6.0, 1e-9);
    EXPECT_EQ(fast.size(), 15u);
}

TEST(SharedTickTest, ALateWakeUpCountsTheNextTicksFromNow)
{
    VirtualTime time;
    SharedTick tick{0.1};
    std::vector<double> runs;
    Connection every5 = tick.subscribe([&] { runs.push_back(time.now()); }, 5);
    time.clock().setMonotonic(0.9);  // the process stalled past the first due time
    time.flush();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(runs[0], 0.9, 1e-9) << "one run, not a burst for the ticks missed";
    EXPECT_NEAR(*time.queue().nextDue(), 1.4, 1e-9);
}
