#pragma once

#include "Platform/PowerSupply.h"

#include <cstdint>
#include <optional>

namespace vesk {

// The machine's state as System Stats samples it. Every query may fail (nothing is returned) and
// is simply asked again later; none blocks for long. Main thread only.
class SystemStatsSource {
public:
    enum class Thermal { nominal, fair, serious, critical };
    struct CpuTicks {
        uint64_t busy = 0;
        uint64_t total = 0;
        bool operator==(const CpuTicks &) const = default;
    };
    struct Disk {
        int64_t total = 0;
        int64_t available = 0;
    };
    // Cumulative bytes received and sent by the machine's network cards.
    struct NetworkBytes {
        uint64_t down = 0;
        uint64_t up = 0;
    };
    using Battery = BatteryReading;

    virtual ~SystemStatsSource() = default;

    // Cumulative processor ticks of all processors.
    virtual std::optional<CpuTicks> cpuTicks() = 0;
    virtual int processorCount() = 0;
    // Bytes of memory in use, and the machine's physical memory (0 when unknown).
    virtual std::optional<uint64_t> memoryUsed() = 0;
    virtual uint64_t memoryTotal() = 0;
    // The root volume.
    virtual std::optional<Disk> disk() = 0;
    virtual std::optional<NetworkBytes> networkBytes() = 0;
    // The system's thermal state: nominal when nothing can be read.
    virtual Thermal thermal() = 0;
    // The internal battery, if the machine has one (read as the battery readout reads it).
    virtual std::optional<Battery> battery() = 0;
    // Seconds of battery time left: -1 when unknown, -2 while on external power.
    virtual double batteryTimeLeft() = 0;

    // The installed source: the Linux one unless a test or tool installed another.
    static SystemStatsSource &shared();
    static void setShared(SystemStatsSource *source);  // nullptr restores the Linux one
};

const char *thermalName(SystemStatsSource::Thermal thermal);

}  // namespace vesk
