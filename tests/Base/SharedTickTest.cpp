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
