#pragma once

#include "Kit/Kit.h"
#include "Readouts/CountdownTimer.h"

#include <functional>
#include <vector>

namespace vesk {

// The small capsule button of the timer page: filled white when selected.
struct Chip {
    QString title;
    bool isSelected = false;
    std::function<void()> action;

    kit::Element body(const kit::Env &env) const;
};

// The timer page of the open island: the mode chips, the time in large light digits, and the
// presets, reset and play/pause. It holds no state: every control calls the shared timer.
struct TimerView {
    static constexpr int presets[] = {1, 5, 10, 25};  // minutes

    // What the page shows for the timer at an instant.
    struct Plan {
        std::string text;
        double textOpacity = 1;
        std::vector<std::pair<int, bool>> presetChips;  // minutes, selected (timer mode only)
        double resetOpacity = 1;
        bool resetEnabled = true;
        QString playSymbol;
        double tickPeriod = 3600;  // of the time text's timeline
    };
    static Plan plan(const CountdownTimer &timer, bool isOpen, double now);

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const TimerView &, const TimerView &) { return true; }
};

}  // namespace vesk
