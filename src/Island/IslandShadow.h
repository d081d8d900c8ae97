#pragma once

#include "Island/IslandShape.h"
#include "Island/NotchViewPlan.h"
#include "Kit/Kit.h"

#include <QImage>

#include <optional>

namespace vesk {

// The island's drop shadow, drawn under it from its outline. The island is opaque inside its
// outline, so the outline's shadow is the island's; drawing it from the shape lets the blur run at
// a resolution that suits its radius (a soft shadow loses nothing at a quarter of the pixels)
// instead of blurring a full-resolution copy of the whole island every frame.
// `roomBelow`: points between the island's bottom edge and its panel's; a shadow that would reach
// farther fades out before it, so the panel's edge never cuts it in a line.
kit::Element IslandShadow(const IslandShape &outline, const IslandShadowPlan &shadow, double roomBelow = 1e6);

// A band across the shadow, in points from the top of the island's rectangle, over which the shadow
// fades out smoothly: untouched above `start`, clear from `end` on.
struct ShadowFade {
    double start = 0;
    double end = 0;
    friend bool operator==(const ShadowFade &, const ShadowFade &) = default;
};

// The shadow image for an island of `size` points at `deviceScale`: black at `opacity` blurred by
// `radius` points, covering the island's rectangle grown by 3 radii (and the offset) on each side,
// faded out across `fade` where one is given. Recent images are kept. Drawn at a new size or place,
// the shadow is one scaled draw of its image; drawn again unchanged, it is copied from a picture of
// what that draw gave, except where the opaque body covers it.
QImage islandShadowImage(const IslandShape &outline, QSizeF size, double opacity, double radius, double deviceScale,
                         std::optional<ShadowFade> fade = std::nullopt);

// Where a shadow `radius` points soft and `y` points low, under an island `height` points high with
// `roomBelow` points between its bottom edge and its panel's, must fade out so the panel's edge
// does not cut it: over the last stretch of that room (as long as the shadow's reach below the
// island, or all of the room when it is shorter), in the shadow picture's own coordinates (before
// its offset). None when the shadow ends before the room does.
std::optional<ShadowFade> shadowFadeFor(double height, double radius, double y, double roomBelow);

}  // namespace vesk
