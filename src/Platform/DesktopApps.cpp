#include "Platform/DesktopApps.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/XdgDesktopApps.h"

namespace vesk {

namespace {
InstalledService<DesktopApps, XdgDesktopApps> installed;
}

DesktopApps &DesktopApps::shared() { return installed.get(); }

void DesktopApps::setShared(DesktopApps *apps) { installed.install(apps); }

}  // namespace vesk
