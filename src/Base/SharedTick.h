#pragma once

#include "Base/RepeatingItem.h"
#include "Base/Signal.h"

#include <functional>
#include <memory>

namespace vesk {

// One repeating wake-up that several polls of one period share: every subscriber runs on the same
// run, so two polls cost the process one wake-up instead of two. The first subscriber starts the
// timer; once the last connection has ended the timer stops at its next run.
class SharedTick {
public:
    explicit SharedTick(double interval) : interval_(interval) {}
    SharedTick(const SharedTick &) = delete;
    SharedTick &operator=(const SharedTick &) = delete;

    // Runs fn on every tick until the connection ends (or the tick is destroyed).
    [[nodiscard]] Connection subscribe(std::function<void()> fn)
    {
        auto connection = std::make_shared<Connection>(ticked_.connect(std::move(fn)));
        if (!item_.isRunning())
            item_.start(interval_, [this] { run(); });
        return Connection([connection] { connection->reset(); });
    }

    double interval() const { return interval_; }
    bool isRunning() const { return item_.isRunning(); }

private:
    void run()
    {
        if (ticked_.empty()) {
            item_.stop();
            return;
        }
        ticked_();
    }

    double interval_;
    Signal<> ticked_;
    RepeatingItem item_;
};

}  // namespace vesk
