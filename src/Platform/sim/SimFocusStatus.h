#pragma once

#include "Platform/FocusStatus.h"
#include "Platform/sim/SimAccessPermission.h"

namespace vesk {

// Focus that tests and tools set, behind a simulated permission (granted at first).
class SimFocusStatus final : public FocusStatus {
public:
    bool isAuthorised() const override { return permission.isGranted(); }
    std::optional<bool> isFocused() const override { return focused; }
    void request(std::function<void(bool)> done) override { permission.request(std::move(done)); }

    SimAccessPermission permission;
    std::optional<bool> focused = false;
};

}  // namespace vesk
