#pragma once

#include "Platform/Materials.h"

namespace vesk {

// X11 compositors offer no behind-window glass that an application can ask for, so the island
// keeps its solid fill.
class OpaqueMaterials final : public Materials {
public:
    bool hasGlass() const override { return false; }
};

}  // namespace vesk
