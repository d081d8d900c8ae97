#include "Platform/PowerSupply.h"

#include "Platform/SysfsValue.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <dirent.h>

namespace vesk {

namespace {

std::optional<int64_t> integerAt(const std::string &path)
{
    const auto text = readSysfsValue(path);
    return text ? parseSysfsInteger(*text) : std::nullopt;
}

// The charge from `<kind>_now` and `<kind>_full`; none unless both are numbers and full is above 0.
std::optional<int> ratio(const std::string &supply, const char *kind)
{
    const auto now = integerAt(supply + "/" + kind + "_now");
    const auto full = integerAt(supply + "/" + kind + "_full");
    if (!now || !full || *full <= 0 || *now < 0)
        return std::nullopt;
    // A full battery commonly reads a little above its last full charge.
    return int(std::min<int64_t>(100, std::llround(100.0 * double(*now) / double(*full))));
}

std::optional<int> batteryPercent(const std::string &supply)
{
    if (readSysfsValue(supply + "/capacity")) {
        const auto capacity = integerAt(supply + "/capacity");
        if (!capacity || *capacity < 0 || *capacity > 100)
            return std::nullopt;
        return int(*capacity);
    }
    if (auto energy = ratio(supply, "energy"))
        return energy;
    return ratio(supply, "charge");
}

}  // namespace

std::optional<BatteryReading> readSysfsBattery(const std::string &sysRoot, std::string *folderOut)
{
    if (folderOut)
        folderOut->clear();
    const std::string folder = sysRoot + "/class/power_supply";
    std::optional<BatteryReading> battery;
    std::optional<std::string> batteryStatus;
    bool adapterListed = false;
    bool adapterOnline = false;
    for (const auto &name : listFolder(folder)) {
        const std::string supply = folder + "/" + name;
        const auto type = readSysfsValue(supply + "/type");
        if (!type)
            continue;
        if (*type == "Mains" || *type == "USB") {
            adapterListed = true;
            if (integerAt(supply + "/online") == 1)
                adapterOnline = true;
        } else if (*type == "Battery" && !battery) {
            if (readSysfsValue(supply + "/scope") == "Device")
                continue;  // a mouse's or headset's battery
            if (integerAt(supply + "/present") == 0)
                continue;
            const auto percent = batteryPercent(supply);
            if (!percent)
                continue;
            battery = BatteryReading{*percent, false};
            batteryStatus = readSysfsValue(supply + "/status");
            if (folderOut)
                *folderOut = supply;
        }
    }
    if (!battery)
        return std::nullopt;
    battery->pluggedIn = adapterListed ? adapterOnline : (batteryStatus == "Charging" || batteryStatus == "Full");
    return battery;
}

}  // namespace vesk
