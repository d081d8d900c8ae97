#pragma once

#include "Platform/PowerSupply.h"
#include "Base/RepeatingItem.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

class QDBusServiceWatcher;

namespace vesk {

// The battery from sysfs under `sysRoot`. Changes come from UPower on the system bus (its
// daemon's and devices' property changes, devices added and removed) while UPower runs; without
// it a 5 s timer asks again. `useUPower` false keeps to the timer (fake trees in tools).
class SysfsPowerSupply final : public QObject, public PowerSupply {
    Q_OBJECT
public:
    explicit SysfsPowerSupply(std::string sysRoot = "/sys", bool useUPower = true);
    ~SysfsPowerSupply() override;

    std::optional<BatteryReading> read() const override { return readSysfsBattery(root_); }
    void watch(std::function<void()> changed) override;

    static constexpr double pollInterval = 5.0;

private slots:
    void upowerSignal();

private:
    void ownerChanged(bool present);

    std::string root_;
    bool useUPower_;
    std::function<void()> changed_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    bool upowerPresent_ = false;
    RepeatingItem poll_;
};

}  // namespace vesk
