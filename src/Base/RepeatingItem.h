#pragma once

#include "Base/MainQueue.h"

#include <functional>

namespace vesk {

// A closure run every `interval` seconds on the installed main queue until stopped or destroyed.
// Each run schedules the next one first, so a closure may stop or restart its own timer.
class RepeatingItem {
public:
    RepeatingItem() = default;
    RepeatingItem(const RepeatingItem &) = delete;
    RepeatingItem &operator=(const RepeatingItem &) = delete;

    void start(double interval, std::function<void()> fn)
    {
        interval_ = interval;
        fn_ = std::move(fn);
        schedule();
    }
    void stop()
    {
        item_.cancel();
        fn_ = nullptr;
    }
    bool isRunning() const { return item_.isPending(); }

private:
    void schedule()
    {
        item_ = mainQueue().after(interval_, [this] {
            schedule();
            auto fn = fn_;  // the closure may stop this timer and drop fn_
            if (fn)
                fn();
        });
    }

    double interval_ = 0;
    std::function<void()> fn_;
    WorkItem item_;
};

}  // namespace vesk
