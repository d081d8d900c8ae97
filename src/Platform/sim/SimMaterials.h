#pragma once

#include "Platform/Materials.h"

namespace vesk {

// Materials whose glass tests switch on and off. Installs itself as the shared service for its
// lifetime.
class SimMaterials final : public Materials {
public:
    explicit SimMaterials(bool glass = false) : glass(glass) { Materials::setShared(this); }
    ~SimMaterials() override { Materials::setShared(nullptr); }
    SimMaterials(const SimMaterials &) = delete;
    SimMaterials &operator=(const SimMaterials &) = delete;

    bool hasGlass() const override { return glass; }
    bool glass;
};

}  // namespace vesk
