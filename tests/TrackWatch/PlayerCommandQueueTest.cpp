#include "TrackWatch/PlayerCommandQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using trackwatch::PlayerCommandQueue;

namespace {

// A player that answers only when told: the queue's calls are recorded as started, in order.
struct SlowPlayer {
    PlayerCommandQueue queue{2};
    std::vector<std::string> started;

    bool send(const std::string &key, const std::string &name)
    {
        return queue.submit(key, [this, name] { started.push_back(name); });
    }
    void answerAll()
    {
        while (queue.inFlight() > 0)
            queue.finished();
    }
};

}  // namespace

TEST(PlayerCommandQueueTest, AFloodOfSettingsCostsOneCallEachWhateverItsLength)
{
    SlowPlayer player;
    for (int i = 0; i < 100000; ++i)
        ASSERT_TRUE(player.send("position", "seek " + std::to_string(i)));
    for (int i = 0; i < 100000; ++i)
        ASSERT_TRUE(player.send("shuffle", i % 2 ? "shuffle on" : "shuffle off"));
    // Two calls unanswered; behind them only the latest of each kind waits.
    EXPECT_EQ(player.queue.inFlight(), 2);
    EXPECT_EQ(player.queue.waiting(), 2u);
    player.answerAll();
    EXPECT_EQ(player.started, (std::vector<std::string>{"seek 0", "seek 1", "seek 99999", "shuffle on"}));
    EXPECT_EQ(player.queue.waiting(), 0u);
}

TEST(PlayerCommandQueueTest, StepsKeepTheirOrderAndSettingsNeverCrossThem)
{
    SlowPlayer player;
    player.send("", "next 1");
    player.send("", "next 2");  // both in flight
    player.send("position", "seek 10");
    player.send("shuffle", "shuffle on");
    player.send("position", "seek 20");  // replaces seek 10 in its place
    player.send("", "next 3");
    player.send("position", "seek 30");  // after the step: a new place, seek 20 stays
    player.send("", "toggle");
    EXPECT_EQ(player.queue.waiting(), 5u);
    player.answerAll();
    EXPECT_EQ(player.started, (std::vector<std::string>{"next 1", "next 2", "seek 20", "shuffle on", "next 3",
                                                        "seek 30", "toggle"}));
}

TEST(PlayerCommandQueueTest, OnlyTheLimitIsEverUnansweredAndEachAnswerStartsTheNext)
{
    SlowPlayer player;
    for (int i = 0; i < 5; ++i)
        player.send("", "step " + std::to_string(i));
    EXPECT_EQ(player.started.size(), 2u);
    player.queue.finished();
    EXPECT_EQ(player.started.size(), 3u);
    EXPECT_EQ(player.queue.inFlight(), 2);
    // A command never overtakes waiting ones, even when an answer left room.
    player.send("position", "seek 1");
    EXPECT_EQ(player.started.back(), "step 2");
    player.answerAll();
    EXPECT_EQ(player.started.back(), "seek 1");
    // Idle again: the next command starts at once.
    player.send("", "step 5");
    EXPECT_EQ(player.started.back(), "step 5");
    EXPECT_EQ(player.queue.inFlight(), 1);
}

TEST(PlayerCommandQueueTest, StepsBeyondTheLimitAreDroppedButSettingsStillWin)
{
    SlowPlayer player;
    player.send("", "a");
    player.send("", "b");
    for (std::size_t i = 0; i < PlayerCommandQueue::kMaxWaitingSteps; ++i)
        ASSERT_TRUE(player.send("", "step"));
    EXPECT_FALSE(player.send("", "one too many"));
    EXPECT_TRUE(player.send("position", "seek 42"));
    EXPECT_EQ(player.queue.waiting(), PlayerCommandQueue::kMaxWaitingSteps + 1);
    player.answerAll();
    EXPECT_EQ(player.started.size(), PlayerCommandQueue::kMaxWaitingSteps + 3);
    EXPECT_EQ(player.started.back(), "seek 42");
    // Room for steps again once they have gone out.
    EXPECT_TRUE(player.send("", "later"));
}

TEST(PlayerCommandQueueTest, ACallThatEndsInsideItsStartKeepsTheOrder)
{
    PlayerCommandQueue queue(1);
    std::vector<int> started;
    // The first call fails at once, inside its start; the ones waiting by then follow in order.
    bool first = true;
    queue.submit("", [&] {
        started.push_back(0);
        queue.submit("", [&] { started.push_back(1); });
        queue.submit("", [&] { started.push_back(2); });
        if (first) {
            first = false;
            queue.finished();
        }
    });
    EXPECT_EQ(started, (std::vector<int>{0, 1}));
    queue.finished();
    EXPECT_EQ(started, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(queue.inFlight(), 1);
}
