#pragma once

#include "Extensions/IslandExtension.h"
#include "Base/MainQueue.h"
#include "Base/Observed.h"
#include "Platform/SystemStatsSource.h"
#include "Platform/UserDefaults.h"
#include "Readouts/BatteryService.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// System Stats: samples processor load, memory in use, the root volume, the battery, network
// throughput and the thermal state. While its page is not on screen it reads only the processor
// and the heat, every 5 s; while the page is shown it samples everything every 2 s. It shows an
// activity when the machine runs hot or the processor has stayed busy for over 30 s.
// Main thread only.
class SystemStatsExtension final : public IslandExtension, public std::enable_shared_from_this<SystemStatsExtension> {
public:
    using Thermal = SystemStatsSource::Thermal;

    // The options: whether a busy processor and a hot machine show an activity.
    static constexpr Setting<bool> warnCPU{"systemStats.warnCPU", true};
    static constexpr Setting<bool> warnHeat{"systemStats.warnHeat", true};

    static const ExtensionInfo &typeInfo();

    // Reads the physical memory once, from the installed source.
    SystemStatsExtension();

    const ExtensionInfo &info() const override { return typeInfo(); }
    std::optional<ExtensionActivity> activity() const override;
    void start() override;
    void stop() override;

    // The page on screen or not: switches between the fast and the slow cadence.
    void setVisible(bool visible);
    bool isVisible() const { return isVisible_; }

    // One sampling step.
    void sample();

    // The text of a byte count, English, decimal units ("1.2 MB/s", "Zero KB/s") with perSecond;
    // without it gigabytes of 2^30 bytes ("15.5 GB").
    static QString bytes(double value, bool perSecond);

    // Readings.
    Observed<double> cpu{0.0};
    Observed<uint64_t> memoryUsed{0};
    const uint64_t memoryTotal;
    Observed<int64_t> diskFree{0};
    Observed<int64_t> diskTotal{0};
    Observed<Thermal> thermal{Thermal::nominal};
    Observed<std::optional<BatteryService::Event>> battery;
    Observed<std::optional<double>> batteryTimeLeft;
    Observed<double> download{0.0};
    Observed<double> upload{0.0};
    // When the current busy spell began (monotonic seconds).
    Observed<std::optional<double>> busySince;
    Observed<int> processors{0};

    // The used share of the root volume (0 when its size is unknown).
    double disk() const;
    // Samples taken by this instance.
    int samples() const { return samples_; }

private:
    struct Ticks {
        uint64_t busy, total;
    };
    struct Bytes {
        uint64_t down, up;
        double at;
    };
    void schedule();
    void arm(double deadline);
    double cpuFraction(const SystemStatsSource::CpuTicks &ticks);
    void sampleNetwork();

    bool started_ = false;
    bool isVisible_ = false;
    double interval_ = 5.0;
    WorkItem timer_;
    std::optional<Ticks> lastTicks_;
    std::optional<Bytes> lastBytes_;
    std::optional<double> diskRead_;
    // The activity as of the last sample: what the registry was last told about.
    std::optional<ExtensionActivity> reported_;
    int samples_ = 0;
};

}  // namespace vesk
