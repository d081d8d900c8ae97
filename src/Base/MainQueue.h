#pragma once

#include "Base/Clock.h"
#include "Base/Signal.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class MainQueue;

// A handle to a scheduled closure. It cancels its closure when it is destroyed or assigned over,
// so a model that keeps one field per purpose cancels the superseded delay by assigning the new
// one, and nothing it scheduled can run after it is gone. detach() lets the closure outlive the handle.
class WorkItem {
public:
    WorkItem() = default;
    WorkItem(WorkItem &&other) noexcept;
    WorkItem &operator=(WorkItem &&other) noexcept;
    WorkItem(const WorkItem &) = delete;
    WorkItem &operator=(const WorkItem &) = delete;
    ~WorkItem() { cancel(); }

    void cancel();
    void detach();
    // True while the closure is scheduled and has neither run nor been cancelled.
    bool isPending() const;

private:
    friend class MainQueue;
    struct State;
    explicit WorkItem(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

// The main thread's queue of delayed work, on one clock. Items fall due either after a monotonic
// delay or at a wall-clock time (which also fires on time when the wall clock jumped, say after a
// wake from suspend). Due items run in time order; ties run in scheduling order.
class MainQueue {
public:
    explicit MainQueue(Clock &clock);
    ~MainQueue();
    MainQueue(const MainQueue &) = delete;
    MainQueue &operator=(const MainQueue &) = delete;

    [[nodiscard]] WorkItem after(double seconds, std::function<void()> fn);
    [[nodiscard]] WorkItem at(double wallSeconds, std::function<void()> fn);
    // Due at a monotonic time of this queue's clock (at once when it has passed).
    [[nodiscard]] WorkItem atMonotonic(double seconds, std::function<void()> fn);
    // Runs on a later turn of the main loop; cannot be cancelled.
    void post(std::function<void()> fn);

    // Runs every item that is due by the clock, including items that running ones schedule as due.
    int runDue();
    // The monotonic time at which the next item falls due (wall items converted at the current
    // offset between the two clocks), if any item is scheduled.
    std::optional<double> nextDue() const;
    std::optional<double> nextMonotonicDeadline() const;
    // The last monotonic deadline at most `slack` seconds after the next one: a timer set to it
    // runs every item due in that span on one wake-up, none early and none more than `slack` late.
    std::optional<double> lastMonotonicDeadlineWithin(double slack) const;
    std::optional<double> nextWallDeadline() const;
    size_t pendingCount() const;

    Clock &clock() const { return clock_; }
    // Emitted whenever the earliest deadline may have changed; a driver re-arms its timers.
    Signal<> scheduleChanged;

private:
    friend class WorkItem;
    struct Impl;
    WorkItem enqueue(bool wall, double deadline, std::function<void()> fn);
    Clock &clock_;
    std::shared_ptr<Impl> impl_;
};

// The installed application queue (on appClock()); real time unless a test installed a virtual one.
MainQueue &mainQueue();
void setMainQueue(MainQueue *queue);  // nullptr restores the real one

}  // namespace vesk
