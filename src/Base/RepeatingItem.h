#pragma once

#include "Base/MainQueue.h"

#include <functional>

namespace vesk {

// A closure run every `interval` seconds on the installed main queue until stopped or destroyed.
// Each run schedules the next one first, so a closure may stop or restart its own timer. A run is
// due one interval after the previous one was due, not after it ran, so late wake-ups do not add
// up: timers of related intervals keep their phase and can share wake-ups. A run more than half an
// interval late (the process stalled, the machine slept) counts the next interval from now.
class RepeatingItem {
public:
    RepeatingItem() = default;
    RepeatingItem(const RepeatingItem &) = delete;
    RepeatingItem &operator=(const RepeatingItem &) = delete;

    void start(double interval, std::function<void()> fn)
    {
        interval_ = interval > 0 ? interval : 0;
        fn_ = std::move(fn);
        schedule(mainQueue().clock().now() + interval_);
    }
    void stop()
    {
        item_.cancel();
        fn_ = nullptr;
    }
    bool isRunning() const { return item_.isPending(); }

private:
    void schedule(double due)
    {
        due_ = due;
        item_ = mainQueue().atMonotonic(due, [this] {
            const double now = mainQueue().clock().now();
            const double next = due_ + interval_;
            schedule(next >= now + interval_ / 2 ? next : now + interval_);
            auto fn = fn_;  // the closure may stop this timer and drop fn_
            if (fn)
                fn();
        });
    }

    double interval_ = 0;
    double due_ = 0;
    std::function<void()> fn_;
    WorkItem item_;
};

}  // namespace vesk
