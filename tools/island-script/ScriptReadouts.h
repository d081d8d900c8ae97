#pragma once

#include "Platform/sim/SimAccessibilityTrust.h"
#include "Platform/sim/SimPowerSupply.h"
#include "Readouts/BatteryService.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vesk {
class NotchViewModel;
class PowerSupply;
}  // namespace vesk

// The readout sources of a script's machine: simulated battery, permissions and the rest, or the
// Linux readers on a folder of the script's (`sysfs DIR`), and the verbs that drive them.
class ScriptReadouts {
public:
    // `flush` runs what is due on the virtual clock without moving it.
    explicit ScriptReadouts(std::function<void()> flush);
    ~ScriptReadouts();
    ScriptReadouts(const ScriptReadouts &) = delete;
    ScriptReadouts &operator=(const ScriptReadouts &) = delete;

    // Runs one of the readout verbs; false for any other verb. `folder` is the script's folder,
    // against which paths are resolved. Throws ScriptError for bad arguments.
    bool execute(const std::string &verb, const std::string &line, size_t &pos, bool started,
                 const std::string &folder);

    // The sources, made at "start" from what the script declared before it.
    void start();
    vesk::BatteryService &battery() { return *battery_; }
    // The simulated supply that `battery` sets.
    vesk::SimPowerSupply &power() { return power_; }

    // Adds this file's `expect` fields.
    void addFields(std::map<std::string, std::string> &fields, const vesk::NotchViewModel &model) const;

private:
    void pump(double seconds);

    std::function<void()> flush_;
    vesk::SimPowerSupply power_;
    vesk::SimAccessibilityTrust trust_;
    std::unique_ptr<vesk::PowerSupply> sysfsPower_;
    std::string sysfsRoot_;
    std::unique_ptr<vesk::BatteryService> battery_;
};
