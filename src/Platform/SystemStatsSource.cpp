#include "Platform/SystemStatsSource.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/LinuxSystemStats.h"

namespace vesk {

namespace {
struct RootSystemStats final : LinuxSystemStats {
    RootSystemStats() : LinuxSystemStats("/") {}
};
InstalledService<SystemStatsSource, RootSystemStats> installed;
}  // namespace

SystemStatsSource &SystemStatsSource::shared() { return installed.get(); }

void SystemStatsSource::setShared(SystemStatsSource *source) { installed.install(source); }

const char *thermalName(SystemStatsSource::Thermal thermal)
{
    switch (thermal) {
    case SystemStatsSource::Thermal::nominal: return "nominal";
    case SystemStatsSource::Thermal::fair: return "fair";
    case SystemStatsSource::Thermal::serious: return "serious";
    case SystemStatsSource::Thermal::critical: return "critical";
    }
    return "nominal";
}

}  // namespace vesk
