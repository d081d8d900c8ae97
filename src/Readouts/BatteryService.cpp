#include "Readouts/BatteryService.h"

namespace vesk {

std::optional<BatteryService::Event> BatteryService::event(const std::optional<BatteryReading> &reading)
{
    if (!reading)
        return std::nullopt;
    return Event{reading->percent, reading->pluggedIn, false};
}

std::optional<BatteryService::Event> BatteryService::read(const std::string &sysRoot)
{
    return event(readSysfsBattery(sysRoot));
}

void BatteryService::start()
{
    if (started_)
        return;
    started_ = true;
    last_ = event(supply_.read());
    supply_.watch([this] { powerSourceChanged(); });
}

void BatteryService::powerSourceChanged()
{
    const auto now = event(supply_.read());
    if (!now)
        return;
    const auto previous = last_;
    last_ = now;
    if (!previous)
        return;
    std::optional<Event> report;
    if (now->pluggedIn != previous->pluggedIn) {
        report = now;
    } else if (!now->pluggedIn) {
        for (int threshold : lowThresholds) {
            if (previous->percent > threshold && now->percent <= threshold) {
                report = Event{now->percent, false, true};
                break;
            }
        }
    }
    if (report && onChange)
        onChange(*report);
}

}  // namespace vesk
