#pragma once

#include "Platform/PowerSupply.h"

namespace vesk {

// A power supply whose battery a test sets; each set() after watch() notifies once.
class SimPowerSupply final : public PowerSupply {
public:
    std::optional<BatteryReading> read() const override { return reading_; }
    void watch(std::function<void()> changed) override { changed_ = std::move(changed); }

    void set(std::optional<BatteryReading> reading)
    {
        reading_ = reading;
        if (changed_)
            changed_();
    }
    // Changes the reading without telling the watcher, as a later read would find it.
    void replace(std::optional<BatteryReading> reading) { reading_ = reading; }
    bool isWatched() const { return bool(changed_); }

private:
    std::optional<BatteryReading> reading_;
    std::function<void()> changed_;
};

}  // namespace vesk
