// Fuzzes the battery and backlight readers over a tree of files made from the input: the first
// byte picks which attribute each of the following NUL-separated values goes to. A reading is
// either absent or in range: a battery of 0...100 percent, a backlight level of 0...1, and a
// written value within 0...max that moves at least one step on a coarse panel.
#include "Platform/PowerSupply.h"
#include "Platform/linux/SysfsBacklight.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

const char *const attributes[] = {
    "class/power_supply/BAT0/type",          "class/power_supply/BAT0/capacity",
    "class/power_supply/BAT0/energy_now",    "class/power_supply/BAT0/energy_full",
    "class/power_supply/BAT0/charge_now",    "class/power_supply/BAT0/charge_full",
    "class/power_supply/BAT0/present",       "class/power_supply/BAT0/scope",
    "class/power_supply/BAT0/status",        "class/power_supply/AC/type",
    "class/power_supply/AC/online",          "class/backlight/panel/type",
    "class/backlight/panel/max_brightness",  "class/backlight/panel/brightness",
    "class/backlight/panel/actual_brightness",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // In memory when the machine offers it: each input rewrites the tree.
    static const std::filesystem::path root = [] {
        const std::filesystem::path shm = "/dev/shm";
        const auto base = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        const auto dir = base / ("vesk-sysfs-fuzz-" + std::to_string(::getpid()));
        for (const char *attribute : attributes)
            std::filesystem::create_directories((dir / attribute).parent_path());
        return dir;
    }();
    if (size == 0)
        return 0;
    const unsigned pick = data[0];
    const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    bool written[std::size(attributes)] = {};
    size_t at = 0;
    for (size_t i = 0; at <= text.size() && i < 12; ++i) {
        const size_t end = std::min(text.find('\0', at), text.size());
        const size_t which = (pick + i * 7) % std::size(attributes);
        std::ofstream((root / attributes[which]).string(), std::ios::binary | std::ios::trunc)
            << text.substr(at, end - at);
        written[which] = true;
        at = end + 1;
    }
    for (size_t i = 0; i < std::size(attributes); ++i) {
        if (!written[i])
            ::unlink((root / attributes[i]).c_str());
    }
    if (const auto battery = vesk::readSysfsBattery(root.string()))
        check(battery->percent >= 0 && battery->percent <= 100);
    vesk::SysfsBacklight light(root.string(), false);
    if (const auto level = light.level())
        check(*level >= 0.0f && *level <= 1.0f);
    for (int64_t max : {int64_t(1), int64_t(7), int64_t(20), int64_t(255), int64_t(pick) * 1000 + 1}) {
        const int64_t current = int64_t(data[size - 1]) % (max + 1);
        for (int direction : {-1, 0, 1}) {
            const float level = float(data[size / 2]) / 200.0f;  // a little above 1 at most
            const int64_t value = vesk::SysfsBacklight::rawValue(level, direction, current, max);
            check(value >= 0 && value <= max);
            if (max <= vesk::SysfsBacklight::coarseSteps && direction > 0 && current < max)
                check(value > current);
            if (max <= vesk::SysfsBacklight::coarseSteps && direction < 0 && current > 0)
                check(value < current);
        }
    }
    return 0;
}
