#include "Platform/BundleInfo.h"

#include "Platform/InstalledService.h"
#include "Platform/linux/ProcBundleInfo.h"

namespace vesk {

namespace {
InstalledService<BundleInfo, ProcBundleInfo> installed;
}  // namespace

BundleInfo &BundleInfo::shared() { return installed.get(); }

void BundleInfo::setShared(BundleInfo *info) { installed.install(info); }

}  // namespace vesk
