#include "Readouts/CountdownTimer.h"

#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace vesk;

class CountdownTimerTest : public ::testing::Test {
protected:
    double now() const { return time.wallNow(); }

    VirtualTime time;
    CountdownTimer timer;
    std::vector<std::string> calls;

    void record()
    {
        timer.onRunningChange = [this] { calls.push_back(timer.isRunning().peek() ? "running" : "stopped"); };
        timer.onFinish = [this] { calls.push_back("finish"); };
    }
};

TEST_F(CountdownTimerTest, TextFormats)
{
    EXPECT_EQ(timer.text(now()), "5:00");
    timer.setDuration(10800);
    EXPECT_EQ(timer.text(now()), "3:00:00");
    timer.setMode(CountdownTimer::Mode::stopwatch);
    timer.start();
    EXPECT_EQ(timer.text(now() + 59.9), "0:59");
    EXPECT_EQ(timer.text(now() + 3600), "1:00:00");
    EXPECT_EQ(timer.text(now() + 3600 + 61), "1:01:01");
    EXPECT_EQ(timer.text(now() - 5), "0:00");  // before the anchor: nothing elapsed
}

TEST_F(CountdownTimerTest, CountdownRoundsUpAndEndsAtZero)
{
    timer.setDuration(60);
    timer.start();
    EXPECT_EQ(timer.text(now() + 0.2), "1:00");
    EXPECT_EQ(timer.text(now() + 59.01), "0:01");
    EXPECT_EQ(timer.text(now() + 60), "0:00");
    EXPECT_EQ(timer.text(now() + 90), "0:00");
}

TEST_F(CountdownTimerTest, PauseBanksTheElapsedTimeAndStartContinues)
{
    timer.setMode(CountdownTimer::Mode::stopwatch);
    timer.start();
    time.advance(12.5);
    timer.pause();
    EXPECT_FALSE(timer.isRunning().peek());
    EXPECT_DOUBLE_EQ(timer.banked().peek(), 12.5);
    time.advance(100);
    EXPECT_EQ(timer.text(now()), "0:12");
    timer.start();
    time.advance(1);
    EXPECT_DOUBLE_EQ(timer.elapsedAt(now()), 13.5);
}

TEST_F(CountdownTimerTest, DurationIsClampedAndAlwaysResets)
{
    timer.setDuration(30);
    EXPECT_EQ(timer.duration().peek(), 60);
    timer.setDuration(20000);
    EXPECT_EQ(timer.duration().peek(), 10800);
    timer.start();
    time.advance(10);
    timer.pause();
    timer.setDuration(10800);  // the same value still stops and clears
    EXPECT_EQ(timer.banked().peek(), 0);
    EXPECT_FALSE(timer.isRunning().peek());
    timer.setDuration(std::nan(""));
    EXPECT_EQ(timer.duration().peek(), 10800);
}

TEST_F(CountdownTimerTest, ModeChangeOnlyWhenDifferent)
{
    timer.start();
    timer.setMode(CountdownTimer::Mode::timer);
    EXPECT_TRUE(timer.isRunning().peek());
    time.advance(5);
    timer.setMode(CountdownTimer::Mode::stopwatch);
    EXPECT_FALSE(timer.isRunning().peek());
    EXPECT_EQ(timer.banked().peek(), 0);
    time.advance(400);
    EXPECT_EQ(time.queue().pendingCount(), 0u);  // the countdown's finish went with it
}

TEST_F(CountdownTimerTest, FinishStopsFirstThenReportsOnce)
{
    record();
    timer.setDuration(60);
    timer.start();
    timer.start();  // a second start schedules nothing more
    time.advance(59.9);
    EXPECT_EQ(calls, std::vector<std::string>{"running"});
    time.advance(0.2);
    EXPECT_EQ(calls, (std::vector<std::string>{"running", "stopped", "finish"}));
    EXPECT_EQ(timer.banked().peek(), 0);
    time.advance(600);
    EXPECT_EQ(calls.size(), 3u);
}

TEST_F(CountdownTimerTest, FinishesOnTheWallClockAcrossASleep)
{
    record();
    timer.setDuration(600);
    timer.start();
    time.advance(100);
    time.jumpWall(1000);  // suspended past the deadline: finishes on wake
    EXPECT_EQ(calls, (std::vector<std::string>{"running", "stopped", "finish"}));
}

TEST_F(CountdownTimerTest, ShortSleepStillFinishesAtTheDeadline)
{
    record();
    timer.setDuration(600);
    timer.start();
    time.jumpWall(300);  // half of it passed while asleep
    EXPECT_EQ(timer.text(now()), "5:00");
    time.advance(299.9);
    EXPECT_EQ(calls.size(), 1u);
    time.advance(0.2);
    EXPECT_EQ(calls.back(), "finish");
}

TEST_F(CountdownTimerTest, PausedCountdownResumesWhereItStoppedAndResetRestoresTheLength)
{
    timer.setDuration(60);
    timer.start();
    time.advance(30);
    timer.pause();
    EXPECT_EQ(timer.text(now()), "0:30");
    timer.start();
    EXPECT_EQ(timer.text(now()), "0:30");  // resumed, not restarted
    timer.reset();
    EXPECT_EQ(timer.text(now()), "1:00");
}
