#pragma once

#include "Platform/SystemStatsSource.h"

#include <map>
#include <string>

namespace vesk {

// System Stats readings set by a test or tool. At first every query fails, there is no battery,
// the state is nominal, 8 processors, no physical memory known and no time-left estimate. It
// counts the queries it answers (by name: "cpu", "memory", "disk", "network", "thermal",
// "battery", "timeLeft", "processors").
class SimSystemStats final : public SystemStatsSource {
public:
    std::optional<CpuTicks> cpu;
    std::optional<uint64_t> memory;
    uint64_t physicalMemory = 0;
    std::optional<Disk> volume;
    std::optional<NetworkBytes> network;
    Thermal state = Thermal::nominal;
    std::optional<Battery> internalBattery;
    double timeLeft = -1;
    int processors = 8;
    // When set, the battery is this supply's reading (the one the battery readout reads).
    const PowerSupply *supply = nullptr;

    std::map<std::string, int> queries;
    int totalQueries() const
    {
        int n = 0;
        for (const auto &[name, count] : queries)
            n += count;
        return n;
    }

    std::optional<CpuTicks> cpuTicks() override { return ++queries["cpu"], cpu; }
    int processorCount() override { return ++queries["processors"], processors; }
    std::optional<uint64_t> memoryUsed() override { return ++queries["memory"], memory; }
    uint64_t memoryTotal() override { return physicalMemory; }
    std::optional<Disk> disk() override { return ++queries["disk"], volume; }
    std::optional<NetworkBytes> networkBytes() override { return ++queries["network"], network; }
    Thermal thermal() override { return ++queries["thermal"], state; }
    std::optional<Battery> battery() override { return ++queries["battery"], supply ? supply->read() : internalBattery; }
    double batteryTimeLeft() override { return ++queries["timeLeft"], timeLeft; }
};

}  // namespace vesk
