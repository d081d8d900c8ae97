#pragma once

#include "Platform/AccessibilityTrust.h"
#include "Platform/sim/SimAccessPermission.h"

namespace vesk {

class SimAccessibilityTrust final : public AccessibilityTrust {
public:
    bool isTrusted() const override { return permission.isGranted(); }
    void request(std::function<void(bool)> done) override { permission.request(std::move(done)); }
    SimAccessPermission permission;
};

}  // namespace vesk
