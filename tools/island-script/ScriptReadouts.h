#pragma once

#include "Platform/sim/SimAccessibilityTrust.h"
#include "Platform/sim/SimBacklight.h"
#include "Platform/sim/SimFileProgress.h"
#include "Platform/sim/SimFocusStatus.h"
#include "Platform/sim/SimKeyboardState.h"
#include "Platform/sim/SimMediaKeyGrab.h"
#include "Platform/sim/SimPowerSupply.h"
#include "Readouts/BatteryService.h"
#include "Readouts/DownloadMonitor.h"
#include "Readouts/MediaKeyTap.h"
#include "Readouts/SystemMonitor.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vesk {
class Backlight;
class NotchViewModel;
class PowerSupply;
class ReadoutRules;
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
    vesk::MediaKeyTap &keyTap() { return *keyTap_; }
    vesk::SystemMonitor &system() { return *system_; }
    // Null before start.
    vesk::DownloadMonitor *downloads() { return downloads_.get(); }
    // The simulated backlight, or the Linux one on the `sysfs` tree.
    vesk::Backlight &backlight();
    // The rules the key verbs reach the island through; set at start.
    void setRules(const vesk::ReadoutRules *rules) { rules_ = rules; }
    // The simulated supply that `battery` sets.
    vesk::SimPowerSupply &power() { return power_; }

    // Adds this file's `expect` fields.
    void addFields(std::map<std::string, std::string> &fields, const vesk::NotchViewModel &model) const;

private:
    void pump(double seconds);
    void key(const std::string &line, size_t &pos);
    void progress(const std::string &line, size_t &pos);

    std::function<void()> flush_;
    vesk::SimPowerSupply power_;
    vesk::SimAccessibilityTrust trust_;
    std::unique_ptr<vesk::PowerSupply> sysfsPower_;
    std::string sysfsRoot_;
    std::unique_ptr<vesk::BatteryService> battery_;
    vesk::SimMediaKeyGrab grab_;
    vesk::SimBacklight light_;
    vesk::SimKeyboardState keyboard_;
    vesk::SimFocusStatus focus_;
    std::unique_ptr<vesk::Backlight> sysfsLight_;
    std::unique_ptr<vesk::MediaKeyTap> keyTap_;
    std::unique_ptr<vesk::SystemMonitor> system_;
    vesk::SimFileProgress files_;
    std::unique_ptr<vesk::FileProgressSource> watchedFolder_;
    std::string watchDir_;
    std::unique_ptr<vesk::DownloadMonitor> downloads_;
    const vesk::ReadoutRules *rules_ = nullptr;
    // What became of the last key-down: consumed, declined, passed (to the desktop) or none.
    std::string lastKey_ = "none";
};
