#include "Platform/CompanionHost.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/QtCompanionHost.h"

namespace vesk {

namespace {
InstalledService<CompanionHost, QtCompanionHost> installed;
}

CompanionHost &CompanionHost::shared() { return installed.get(); }

void CompanionHost::setShared(CompanionHost *host) { installed.install(host); }

}  // namespace vesk
