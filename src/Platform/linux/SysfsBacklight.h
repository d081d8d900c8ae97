#pragma once

#include "Platform/Backlight.h"
#include "Platform/SysfsValue.h"

#include <string>

namespace vesk {

// The backlight under `<sysRoot>/class/backlight`, chosen once when made: a "firmware" device
// before a "platform" one before a "raw" one, ties by name. The level is `actual_brightness`
// (else `brightness`) over `max_brightness`. Writes go through logind's Session.SetBrightness on
// the system bus (the session's own right to the backlight; at most 250 ms), or, without logind,
// into `brightness` when that file is writable. `useLogind` false keeps to the file (fake trees).
class SysfsBacklight final : public Backlight {
public:
    explicit SysfsBacklight(std::string sysRoot = "/sys", bool useLogind = true);

    bool canRead() const override { return !folder_.empty(); }
    std::optional<float> level() const override;
    bool canWrite() const override;
    std::optional<float> setLevel(float level, int direction) override;

    // The chosen device's name; empty without one.
    const std::string &name() const { return name_; }
    static constexpr int logindTimeoutMs = 250;
    // Panels with this many steps or fewer move at least one step per key.
    static constexpr int64_t coarseSteps = 20;

    // The raw value for `level` on a panel of `max` steps now at `current`: round(level x max),
    // moved at least one step in `direction` on a coarse panel, within 0...max.
    static int64_t rawValue(float level, int direction, int64_t current, int64_t max);

private:
    std::optional<int64_t> maximum() const;
    std::optional<int64_t> current() const;
    bool writeFile(int64_t value) const;
    bool writeLogind(int64_t value) const;
    bool logindRuns() const;

    std::string folder_;
    std::string name_;
    bool useLogind_;
    mutable SysfsAttribute actual_;
    mutable SysfsAttribute max_;
    // A driver's maximum does not change: once read as a usable value it is not read again.
    mutable std::optional<int64_t> knownMax_;
};

// Chooses the device folder under `<sysRoot>/class/backlight` as above; empty when none has a
// readable type.
std::string chooseBacklight(const std::string &sysRoot);

}  // namespace vesk
