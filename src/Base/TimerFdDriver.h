#pragma once

#include "Base/Signal.h"

#include <memory>
#include <optional>

class QSocketNotifier;

namespace vesk {

class MainQueue;

// Drives a MainQueue in real time with two timerfds watched by the Qt event loop: one on
// CLOCK_MONOTONIC for delays, one on CLOCK_REALTIME for wall-clock deadlines. The wall timer is
// absolute, and the kernel fires an absolute real-time timer as soon as the clock reaches its time
// by whatever path (set forward, or a wake from suspend past it), so it needs no word of the
// clock's changes: asking for one (TFD_TIMER_CANCEL_ON_SET) would wake the process at every step
// of the clock, and a time-synced virtual machine steps it several times a second. With nothing
// scheduled both are disarmed: the queue causes no wake-ups. A delay that is not yet due
// shares its wake-up with those due up to `slack` after it (two repeating timers of 0.08 s and
// 0.1 s meet every 0.4 s): nothing runs early, and nothing more than `slack` late.
class TimerFdDriver {
public:
    explicit TimerFdDriver(MainQueue &queue);
    ~TimerFdDriver();

    static constexpr double slack = 0.001;

private:
    // What a timerfd was last set to, so that an unchanged deadline costs no system call.
    struct Armed {
        bool known = false;
        std::optional<double> at;
    };

    void arm();
    void set(int fd, int flags, const std::optional<double> &at, Armed &armed);
    void fire(int fd);
    bool ensureNotifiers();

    MainQueue &queue_;
    Connection scheduleChanged_;
    int monoFd_ = -1;
    int wallFd_ = -1;
    std::unique_ptr<QSocketNotifier> monoNotifier_;
    std::unique_ptr<QSocketNotifier> wallNotifier_;
    Armed monoArmed_;
    Armed wallArmed_;
    bool firing_ = false;
};

}  // namespace vesk
