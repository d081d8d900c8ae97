#include "Platform/Materials.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/OpaqueMaterials.h"

namespace vesk {

namespace {
InstalledService<Materials, OpaqueMaterials> installed;
}

Materials &Materials::shared() { return installed.get(); }

void Materials::setShared(Materials *materials) { installed.install(materials); }

}  // namespace vesk
