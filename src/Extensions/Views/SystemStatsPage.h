#pragma once

#include "Kit/Element.h"
#include "Readouts/BatteryService.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace vesk {

class SystemStatsExtension;

// The System Stats page of the open island: gauges for processor, memory, disk and (on machines
// with one) battery, and the network rates under them. Its appearing and disappearing switch the
// extension between its fast and slow sampling.
struct SystemStatsPage {
    std::shared_ptr<SystemStatsExtension> stats;

    kit::Element body(const kit::Env &) const;
    bool operator==(const SystemStatsPage &) const = default;

    // Texts, numbers in the process's locale.
    static QString gigabytes(uint64_t bytes, int digits);
    static QString decimalGigabytes(int64_t bytes);
    static QString batteryDetail(const BatteryService::Event &battery, std::optional<double> timeLeft);
};

}  // namespace vesk
