#include "Base/MainQueue.h"
#include "Base/RepeatingItem.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vesk;

class MainQueueTest : public ::testing::Test {
protected:
    VirtualTime time;
    std::vector<std::string> ran;
    auto record(std::string name)
    {
        return [this, name] { ran.push_back(name + "@" + std::to_string(time.now()).substr(0, 4)); };
    }
};

TEST_F(MainQueueTest, DueItemsRunInTimeOrderAndTiesInSchedulingOrder)
{
    auto late = mainQueue().after(2.0, record("late"));
    auto first = mainQueue().after(1.0, record("a"));
    auto second = mainQueue().after(1.0, record("b"));
    auto now = mainQueue().after(0, record("now"));
    time.advance(0.5);
    EXPECT_EQ(ran, (std::vector<std::string>{"now@0.00"}));
    time.advance(5);
    EXPECT_EQ(ran, (std::vector<std::string>{"now@0.00", "a@1.00", "b@1.00", "late@2.00"}));
    EXPECT_DOUBLE_EQ(time.now(), 5.5);
}

TEST_F(MainQueueTest, CancelledOrReplacedItemsNeverRun)
{
    WorkItem item = mainQueue().after(1.0, record("first"));
    item = mainQueue().after(1.0, record("second"));  // assigning over cancels the superseded delay
    WorkItem other = mainQueue().after(0.5, record("other"));
    other.cancel();
    EXPECT_FALSE(other.isPending());
    EXPECT_TRUE(item.isPending());
    time.advance(2);
    EXPECT_EQ(ran, (std::vector<std::string>{"second@1.00"}));
    EXPECT_FALSE(item.isPending());
}

TEST_F(MainQueueTest, DestroyingTheOwnerCancelsItsWork)
{
    struct Owner {
        WorkItem pending;
        int *hits;
    };
    int hits = 0;
    {
        Owner owner{mainQueue().after(1.0, [&hits] { ++hits; }), &hits};
    }
    WorkItem detached = mainQueue().after(1.0, [&hits] { hits += 10; });
    detached.detach();
    time.advance(1);
    EXPECT_EQ(hits, 10);
    EXPECT_EQ(mainQueue().pendingCount(), 0u);
}

TEST_F(MainQueueTest, ItemsScheduledWhileRunningSeeTheirOwnTime)
{
    WorkItem chained;
    WorkItem start = mainQueue().after(1.0, [&] { chained = mainQueue().after(0.25, record("chained")); });
    time.advance(3);
    EXPECT_EQ(ran, (std::vector<std::string>{"chained@1.25"}));
}

TEST_F(MainQueueTest, WallDeadlineFiresWhenTheWallClockJumpsAhead)
{
    // A machine that sleeps: the monotonic clock stands still while the wall clock moves on.
    WorkItem deadline = mainQueue().at(time.wallNow() + 300, record("wall"));
    WorkItem delay = mainQueue().after(300, record("mono"));
    time.advance(10);
    EXPECT_TRUE(ran.empty());
    time.jumpWall(600);
    EXPECT_EQ(ran, (std::vector<std::string>{"wall@10.0"}));
    EXPECT_TRUE(delay.isPending());
}

TEST_F(MainQueueTest, WallAndMonotonicItemsShareOneTimeLine)
{
    WorkItem wall = mainQueue().at(time.wallNow() + 2, record("wall"));
    WorkItem mono = mainQueue().after(1, record("mono"));
    WorkItem mono3 = mainQueue().after(3, record("mono3"));
    time.advance(4);
    EXPECT_EQ(ran, (std::vector<std::string>{"mono@1.00", "wall@2.00", "mono3@3.00"}));
}

TEST_F(MainQueueTest, ScheduleChangesAreAnnouncedForTheRealTimeDriver)
{
    int announcements = 0;
    auto connection = mainQueue().scheduleChanged.connect([&] { ++announcements; });
    WorkItem item = mainQueue().after(1, [] {});
    EXPECT_EQ(announcements, 1);
    item.cancel();
    EXPECT_EQ(announcements, 2);
    EXPECT_FALSE(mainQueue().nextDue().has_value());
}

TEST_F(MainQueueTest, ManySmallStepsKeepTheWallClockInStep)
{
    const double wallStart = time.wallNow();
    for (int i = 0; i < 6000; ++i)
        time.advance(1.0 / 60.0);
    EXPECT_NEAR(time.wallNow() - wallStart, time.now(), 1e-5);
}

TEST_F(MainQueueTest, TheSharedWakeUpReachesTheLastDeadlineWithinTheSlackOfTheFirst)
{
    EXPECT_FALSE(mainQueue().lastMonotonicDeadlineWithin(0.001));
    auto first = mainQueue().after(1.0, [] {});
    EXPECT_EQ(mainQueue().lastMonotonicDeadlineWithin(0.001), 1.0);
    auto close = mainQueue().after(1.0008, [] {});
    auto closer = mainQueue().after(1.0004, [] {});
    auto beyond = mainQueue().after(1.0015, [] {});  // within the slack of `close`, not of the first
    EXPECT_EQ(mainQueue().lastMonotonicDeadlineWithin(0.001), 1.0008);
    first.cancel();
    closer.cancel();
    EXPECT_EQ(mainQueue().lastMonotonicDeadlineWithin(0.001), 1.0015);
    auto wall = mainQueue().at(time.wallNow() + 1.0009, [] {});
    EXPECT_EQ(mainQueue().lastMonotonicDeadlineWithin(0.0001), 1.0008) << "wall deadlines have a timer of their own";
}

TEST_F(MainQueueTest, ARepeatingItemKeepsItsPhaseThroughLateRunsAndStartsAfreshAfterAStall)
{
    std::vector<double> runs;
    RepeatingItem tick;
    tick.start(0.1, [&] { runs.push_back(time.now()); });
    // Items that hold the main thread up just before the tick is due, as a busy process would.
    auto stall = [&](double at, double seconds) {
        return mainQueue().after(at - time.now() - 0.0001, [this, seconds] {
            time.clock().setMonotonic(time.now() + 0.0001 + seconds);
        });
    };
    auto late = stall(0.2, 0.03);
    time.advance(0.35);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_NEAR(runs[1], 0.23, 1e-9) << "ran late";
    EXPECT_NEAR(runs[2], 0.3, 1e-9) << "the next one is due on its own time, not 0.1 s after the late run";
    auto stalled = stall(0.4, 0.07);
    time.advance(0.3);
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_NEAR(runs[3], 0.47, 1e-9);
    EXPECT_NEAR(runs[4], 0.57, 1e-9) << "more than half an interval late: the interval counts from the run";
}
