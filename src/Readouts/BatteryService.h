#pragma once

#include <functional>

namespace vesk {

// Battery readings for the island's charging and low-battery readouts. Created with no reading.
// No power-supply source is attached yet; readings arrive only through report(), which the
// simulated platform and tools use.
class BatteryService {
public:
    struct Event {
        int percent = 0;
        bool pluggedIn = false;
        bool isLowWarning = false;
        bool operator==(const Event &) const = default;
    };

    // Called on the main thread whenever the battery state changes.
    std::function<void(const Event &)> onChange;

    void report(const Event &event)
    {
        if (onChange)
            onChange(event);
    }
};

}  // namespace vesk
