#pragma once

#include "Kit/Kit.h"

namespace vesk {

class NotchViewModel;

// The padlock beside the notch: a black notch shape, widened by a wing of the notch's height on
// each side while the indicator shows, with a closed (locked) or open (unlocking) padlock in its
// left wing. It appears at full width at once and fades and narrows together when it hides.
struct LockNotchView {
    NotchViewModel *model = nullptr;

    static constexpr double topRadius = 6;
    static constexpr double bottomRadius = 10;
    static constexpr double hideDelay = 0.31;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const LockNotchView &, const LockNotchView &) = default;
};

}  // namespace vesk
