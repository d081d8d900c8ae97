#pragma once

#include "Platform/AccessibilityTrust.h"
#include "Platform/sim/SimAccessPermission.h"

#include <optional>

namespace vesk {

class SimAccessibilityTrust final : public AccessibilityTrust {
public:
    bool isTrusted() const override { return permission.isGranted(); }
    void request(std::function<void(bool)> done) override { permission.request(std::move(done)); }
    void openPrivacySettings(const std::string &anchor) override { openedAnchor = anchor; }
    SimAccessPermission permission;
    std::optional<std::string> openedAnchor;  // the privacy page asked for last
};

}  // namespace vesk
