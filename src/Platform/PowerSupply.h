#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vesk {

// The internal battery as the power-supply class of sysfs shows it.
struct BatteryReading {
    int percent = 0;         // 0...100
    bool pluggedIn = false;  // running on an adapter (mains or USB power)
    bool operator==(const BatteryReading &) const = default;
};

// Reads the battery under `<sysRoot>/class/power_supply`, supplies taken by name: the first
// "Battery" that is not a peripheral's (scope "Device"), not marked absent, with a charge of 0...100
// percent ("capacity", else from energy_ or charge_ now/full). Plugged in: a "Mains" or "USB"
// supply is online; with no such supply listed, the battery's status is Charging or Full. None when
// no battery qualifies. Synchronous and cheap (a few small files); no state.
// `folder`, when given, receives the chosen battery's folder (empty without one).
std::optional<BatteryReading> readSysfsBattery(const std::string &sysRoot, std::string *folder = nullptr);

// The machine's power supply: its battery reading now, and word when something about it changed.
// Without a battery read() returns none; without any change source nothing is ever reported.
class PowerSupply {
public:
    virtual ~PowerSupply() = default;
    virtual std::optional<BatteryReading> read() const = 0;
    // From now on `changed` runs on the main thread whenever the supplies may have changed (it
    // may also run when nothing did). Called once.
    virtual void watch(std::function<void()> changed) = 0;
};

// The installed service: sysfs with UPower's notifications unless a test or tool installed another.
PowerSupply &powerSupply();
void setPowerSupply(PowerSupply *service);  // nullptr restores the real one

}  // namespace vesk
