#pragma once

#include "Base/MainQueue.h"
#include "Base/Observed.h"

#include <functional>
#include <optional>
#include <string>

namespace vesk {

// The island's one timer: a countdown or a stopwatch. It keeps no ticking state: while running it
// remembers the wall-clock instant at which its elapsed time was 0, while stopped the seconds
// already run, so the text for any instant can be computed. A countdown ends by one work item
// scheduled for its wall-clock deadline, so it finishes on time even across a suspend.
// Main thread only.
class CountdownTimer {
public:
    enum class Mode { timer, stopwatch };

    static constexpr double minimumDuration = 60;
    static constexpr double maximumDuration = 10800;

    CountdownTimer() = default;
    CountdownTimer(const CountdownTimer &) = delete;
    CountdownTimer &operator=(const CountdownTimer &) = delete;

    const Observed<Mode> &mode() const { return mode_; }
    const Observed<double> &duration() const { return duration_; }  // seconds
    const Observed<bool> &isRunning() const { return isRunning_; }
    // Seconds run while not running; above 0 tells a paused timer from an idle one.
    const Observed<double> &banked() const { return banked_; }

    std::function<void()> onFinish;
    std::function<void()> onRunningChange;

    void start();
    void pause();
    // Clears the banked time and stops.
    void reset();
    void setMode(Mode mode);
    // Always stops and clears; the duration is kept within 60 s ... 3 h.
    void setDuration(double seconds);

    // Elapsed seconds at wall-clock instant `date`.
    double elapsedAt(double date) const;
    // "m:ss" below an hour, "h:mm:ss" from then on; the countdown rounds up, the stopwatch down.
    std::string text(double date) const;

private:
    void stop();
    void finish();

    Observed<Mode> mode_{Mode::timer};
    Observed<double> duration_{300};
    Observed<bool> isRunning_{false};
    Observed<std::optional<double>> anchor_;
    Observed<double> banked_{0};
    WorkItem finishTask_;
};

}  // namespace vesk
