#pragma once

#include "Platform/PowerSupply.h"

#include <functional>
#include <optional>
#include <string>

namespace vesk {

// The internal battery for the island's charging and low-battery readouts: reports a plug change,
// or a fall past 20, 10 or 5 percent while on battery. Main thread only.
class BatteryService {
public:
    struct Event {
        int percent = 0;
        bool pluggedIn = false;
        bool isLowWarning = false;
        bool operator==(const Event &) const = default;
    };

    static constexpr int lowThresholds[] = {20, 10, 5};

    explicit BatteryService(PowerSupply &supply = powerSupply()) : supply_(supply) {}
    BatteryService(const BatteryService &) = delete;
    BatteryService &operator=(const BatteryService &) = delete;

    // The battery now, read from sysfs under `sysRoot`; none without an internal battery. Static,
    // synchronous and cheap; isLowWarning is always false.
    static std::optional<Event> read(const std::string &sysRoot = "/sys");

    // Called on the main thread with each plug change or low-battery crossing.
    std::function<void(const Event &)> onChange;

    // Takes the first reading and follows the supply's changes; call once.
    void start();
    bool isStarted() const { return started_; }
    const std::optional<Event> &last() const { return last_; }

private:
    void powerSourceChanged();
    static std::optional<Event> event(const std::optional<BatteryReading> &reading);

    PowerSupply &supply_;
    std::optional<Event> last_;
    bool started_ = false;
};

}  // namespace vesk
