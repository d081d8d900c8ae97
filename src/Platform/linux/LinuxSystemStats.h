#pragma once

#include "Platform/SysfsValue.h"
#include "Platform/SystemStatsSource.h"

#include <string>
#include <vector>

namespace vesk {

// System Stats on Linux, read under a root folder ("/" on a real machine; a tree of files in
// tests): <root>/proc/stat, <root>/proc/meminfo, <root>/proc/net/dev, statvfs of <root>, the
// thermal zones of <root>/sys/class/thermal and the batteries of <root>/sys/class/power_supply.
class LinuxSystemStats : public SystemStatsSource {
public:
    explicit LinuxSystemStats(std::string root);

    std::optional<CpuTicks> cpuTicks() override;
    int processorCount() override;
    std::optional<uint64_t> memoryUsed() override;
    uint64_t memoryTotal() override { return memoryTotal_; }
    std::optional<Disk> disk() override;
    std::optional<NetworkBytes> networkBytes() override;
    Thermal thermal() override;
    std::optional<Battery> battery() override;
    double batteryTimeLeft() override;

private:
    // The zones' files stay open: they are read at every sample, hidden page or not.
    struct Trip {
        SysfsAttribute temp;
        Thermal level;
    };
    struct Zone {
        SysfsAttribute mode;
        SysfsAttribute temp;
        std::vector<Trip> trips;
    };
    void findZones();

    std::string root_;
    uint64_t memoryTotal_ = 0;
    int processors_ = 0;
    std::vector<Zone> zones_;
};

}  // namespace vesk
