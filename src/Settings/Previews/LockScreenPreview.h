#pragma once

#include "Kit/Kit.h"

namespace vesk {

// The lock screen with the now-playing card: the clock at the top, the user at the bottom and the
// card at its chosen height. Fixed sizes in points; vertical places are fractions of the height it
// is given. The clock reads the application's wall clock.
struct LockScreenPreview {
    bool showsCard = false;
    bool showsAppIcon = false;
    double position = 0;       // the card's bottom above the preview's bottom, as a fraction of h
    double glassStrength = 0;  // 0...1

    static constexpr double cardWidth = 62;
    static double fillOpacity(double glassStrength);
    static double borderOpacity(double glassStrength);

    friend bool operator==(const LockScreenPreview &, const LockScreenPreview &) = default;
    kit::Element body(const kit::Env &) const;
};

}  // namespace vesk
