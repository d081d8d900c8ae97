#pragma once

// The way commands reach the players: as calls whose answers are awaited, only a few at a time, so
// that a flood of commands cannot pile up calls on the bus, and the player's announcements of what
// each call changed in our own process, faster than the player answers.

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace trackwatch {

// Commands that find `limit` calls unanswered wait here. A waiting command that sets something
// outright (a property, the position, playing or paused: its key names what) is replaced by a later
// one with the same key; such settings commute, so the replacement keeps the earlier place as long
// as no step (next, previous, a play/pause toggle: no key) came after it. Steps are never merged;
// beyond kMaxWaitingSteps waiting ones, further steps are dropped. What waits therefore stays a few
// commands per step, however fast commands come, and the last setting of each kind always wins.
class PlayerCommandQueue {
public:
    // Starts one call; whoever runs it calls finished() once when that call has ended (answered,
    // failed or timed out).
    using Start = std::function<void()>;

    explicit PlayerCommandQueue(int limit = kDefaultLimit);

    // Starts the command now when fewer than `limit` calls are unanswered and nothing waits, else
    // queues it. False when it was dropped.
    bool submit(const std::string &key, Start start);
    // One call has ended: waiting commands start while there is room.
    void finished();

    int inFlight() const { return inFlight_; }
    std::size_t waiting() const { return waiting_.size(); }

    static constexpr int kDefaultLimit = 8;
    static constexpr std::size_t kMaxWaitingSteps = 64;

private:
    struct Waiting {
        std::string key;  // empty for a step
        Start start;
    };
    void startWaiting();

    const int limit_;
    int inFlight_ = 0;
    std::size_t waitingSteps_ = 0;
    bool starting_ = false;
    std::deque<Waiting> waiting_;
};

}  // namespace trackwatch
