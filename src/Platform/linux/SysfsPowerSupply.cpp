#include "Platform/linux/SysfsPowerSupply.h"

#include "Platform/InstalledService.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace vesk {

namespace {
const QString upower = QStringLiteral("org.freedesktop.UPower");
}

SysfsPowerSupply::SysfsPowerSupply(std::string sysRoot, bool useUPower)
    : root_(std::move(sysRoot)), useUPower_(useUPower)
{
}

SysfsPowerSupply::~SysfsPowerSupply() = default;

void SysfsPowerSupply::watch(std::function<void()> changed)
{
    changed_ = std::move(changed);
    auto bus = QDBusConnection::systemBus();
    if (!useUPower_ || !bus.isConnected()) {
        ownerChanged(false);
        return;
    }
    // Any path: the daemon's own object and each device's. Signals only come while UPower runs.
    bus.connect(upower, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this, SLOT(upowerSignal()));
    bus.connect(upower, QString(), upower, QStringLiteral("DeviceAdded"), this, SLOT(upowerSignal()));
    bus.connect(upower, QString(), upower, QStringLiteral("DeviceRemoved"), this, SLOT(upowerSignal()));
    watcher_ = std::make_unique<QDBusServiceWatcher>(upower, bus, QDBusServiceWatcher::WatchForOwnerChange);
    connect(watcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) { ownerChanged(!owner.isEmpty()); });
    ownerChanged(bus.interface() && bus.interface()->isServiceRegistered(upower).value());
}

void SysfsPowerSupply::upowerSignal()
{
    if (upowerPresent_ && changed_)
        changed_();
}

void SysfsPowerSupply::ownerChanged(bool present)
{
    upowerPresent_ = present;
    if (present)
        poll_.stop();
    else if (!poll_.isRunning())
        poll_.start(pollInterval, [this] {
            if (changed_)
                changed_();
        });
}

namespace {
InstalledService<PowerSupply, SysfsPowerSupply> installed;
}

PowerSupply &powerSupply() { return installed.get(); }
void setPowerSupply(PowerSupply *service) { installed.install(service); }

}  // namespace vesk
