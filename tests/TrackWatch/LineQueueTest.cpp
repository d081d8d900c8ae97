#include "TrackWatch/LineQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using trackwatch::LineQueue;

TEST(LineQueueTest, TheReaderWaitsForRoomAndNothingIsLostOrReordered)
{
    constexpr std::size_t capacity = 3;
    constexpr int total = 2000;
    std::atomic<int> wakes{0};
    LineQueue queue(capacity, [&] { ++wakes; });
    std::atomic<int> pushed{0};
    std::thread reader([&] {
        for (int i = 0; i < total; ++i) {
            queue.push(std::to_string(i));
            ++pushed;
        }
    });
    std::vector<std::string> taken;
    while (taken.size() < std::size_t(total)) {
        // However the threads interleave, no more than `capacity` lines ever wait.
        ASSERT_LE(queue.size(), capacity);
        ASSERT_LE(std::size_t(pushed.load()), taken.size() + capacity);
        for (auto &line : queue.takeAll())
            taken.push_back(std::move(line));
        std::this_thread::yield();
    }
    reader.join();
    for (int i = 0; i < total; ++i)
        ASSERT_EQ(taken[std::size_t(i)], std::to_string(i));
    EXPECT_GE(wakes.load(), 1);
    EXPECT_LE(wakes.load(), total);
}

TEST(LineQueueTest, TheMainLoopIsWokenOnlyWhenTheQueueStopsBeingEmpty)
{
    int wakes = 0;
    LineQueue queue(10, [&] { ++wakes; });
    queue.push("a");
    queue.push("b");
    queue.push("c");
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(queue.takeAll().size(), 3u);
    queue.push("d");
    EXPECT_EQ(wakes, 2);
}
