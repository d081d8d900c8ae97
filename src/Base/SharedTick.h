#pragma once

#include "Base/MainQueue.h"
#include "Base/Signal.h"

#include <functional>
#include <memory>
#include <vector>

namespace vesk {

// One repeating tick that several polls of one period share: every subscriber due on a tick runs
// on the same wake-up, so two polls cost the process one wake-up instead of two. A subscriber may
// run on every n-th tick only (ticks are counted from the tick's start: the n-th, the 2n-th, ...);
// the process wakes only on ticks where some subscriber runs, so a poll every 20th tick alone
// wakes it once in 20. The first subscriber starts the tick; once the last connection has ended
// it stops at its next run.
class SharedTick {
public:
    explicit SharedTick(double interval) : interval_(interval) {}
    SharedTick(const SharedTick &) = delete;
    SharedTick &operator=(const SharedTick &) = delete;

    // Runs fn on every `every`-th tick until the connection ends (or the tick is destroyed).
    [[nodiscard]] Connection subscribe(std::function<void()> fn, int every = 1);

    double interval() const { return interval_; }
    bool isRunning() const { return item_.isPending(); }

private:
    struct Entry {
        unsigned long id;
        int every;
        std::shared_ptr<std::function<void()>> fn;
    };

    // The greatest period all subscribers' ticks fall on, in ticks.
    int step() const;
    // Schedules the next tick some subscriber runs on, counted on from the last one reached.
    void schedule();
    void run(long tick, double due);

    double interval_;
    std::shared_ptr<std::vector<Entry>> entries_ = std::make_shared<std::vector<Entry>>();
    unsigned long nextId_ = 0;
    long reached_ = 0;       // the last tick reached
    double reachedAt_ = 0;   // when it was due
    WorkItem item_;
};

}  // namespace vesk
