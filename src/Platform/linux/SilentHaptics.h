#pragma once

#include "Platform/Haptics.h"

namespace vesk {

// Linux offers no way to drive a trackpad's haptic actuator, so feedback is simply not given.
class SilentHaptics final : public Haptics {
public:
    void perform(HapticPattern, const void *) override {}
};

}  // namespace vesk
