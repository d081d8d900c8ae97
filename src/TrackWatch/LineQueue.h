#pragma once

// The hand-off of input lines from the reader thread to the main loop.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace trackwatch {

// A bounded queue of lines. The reader blocks while `capacity` lines wait, so input that arrives
// faster than the main loop carries it out waits in the pipe instead of in memory; the main loop
// is woken once when the queue stops being empty, not once per line.
class LineQueue {
public:
    // `wake` runs on the reader thread, without the lock held, whenever a line arrives in an empty
    // queue; it should make the main loop call takeAll().
    LineQueue(std::size_t capacity, std::function<void()> wake);

    // Reader thread: queues a line, first waiting while the queue is full.
    void push(std::string line);
    // Main loop: every waiting line, oldest first; wakes a reader that waits for room.
    std::deque<std::string> takeAll();
    std::size_t size() const;

    static constexpr std::size_t kDefaultCapacity = 4096;

private:
    const std::size_t capacity_;
    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::condition_variable room_;
    std::deque<std::string> lines_;
};

}  // namespace trackwatch
