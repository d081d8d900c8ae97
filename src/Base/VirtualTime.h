#pragma once

#include "Base/Clock.h"
#include "Base/MainQueue.h"

namespace vesk {

// A clock that moves only when told to.
// The wall clock is kept as an offset from the monotonic one, so that many small steps never let
// the two drift apart through rounding; only setWall moves the offset.
class VirtualClock final : public Clock {
public:
    double now() const override { return monotonic_; }
    double wallNow() const override { return monotonic_ + wallOffset_; }
    void setMonotonic(double seconds) { monotonic_ = seconds; }
    void setWall(double seconds) { wallOffset_ = seconds - monotonic_; }

private:
    double monotonic_ = 0;
    double wallOffset_ = 0;
};

// Installs a virtual clock and a queue on it as the application's for its lifetime, and moves
// time: everything that falls due runs in time order at its own instant.
class VirtualTime {
public:
    // The wall clock starts at `wallStart` (seconds since the epoch), the monotonic one at 0.
    explicit VirtualTime(double wallStart = 1736157600.0 /* 2025-01-06T10:00:00Z */);
    ~VirtualTime();
    VirtualTime(const VirtualTime &) = delete;
    VirtualTime &operator=(const VirtualTime &) = delete;

    // Moves both clocks forward, stopping at each due item so it sees its own time.
    void advance(double seconds);
    // Runs what is due now (items scheduled with no delay).
    void flush() { advance(0); }
    // Moves the wall clock alone, as a wake from suspend does, then runs what fell due.
    void jumpWall(double seconds);

    double now() const { return clock_.now(); }
    double wallNow() const { return clock_.wallNow(); }
    VirtualClock &clock() { return clock_; }
    MainQueue &queue() { return queue_; }

private:
    VirtualClock clock_;
    MainQueue queue_;
};

}  // namespace vesk
