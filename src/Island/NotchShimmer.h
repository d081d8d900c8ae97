#pragma once

#include "Model/IslandTypes.h"
#include "Kit/Kit.h"

namespace vesk {

// A faint light line along the island's sides and lower edge, brightest in the middle. Static: the
// island view switches its opacity.
struct NotchShimmer {
    IslandStyle style = IslandStyle::notch;
    double topRadius = 0;
    double bottomRadius = 0;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const NotchShimmer &, const NotchShimmer &) = default;
};

}  // namespace vesk
