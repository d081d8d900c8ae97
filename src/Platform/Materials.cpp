#include "Platform/Materials.h"

#include "Platform/linux/OpaqueMaterials.h"

namespace vesk {

namespace {
Materials *installed = nullptr;
}

Materials &Materials::shared()
{
    static OpaqueMaterials linuxMaterials;
    return installed ? *installed : linuxMaterials;
}

void Materials::setShared(Materials *materials)
{
    installed = materials;
}

}  // namespace vesk
