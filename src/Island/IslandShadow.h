#pragma once

#include "Island/IslandShape.h"
#include "Island/NotchViewPlan.h"
#include "Kit/Kit.h"

#include <QImage>

namespace vesk {

// The island's drop shadow, drawn under it from its outline. The island is opaque inside its
// outline, so the outline's shadow is the island's; drawing it from the shape lets the blur run at
// a resolution that suits its radius (a soft shadow loses nothing at a quarter of the pixels)
// instead of blurring a full-resolution copy of the whole island every frame.
kit::Element IslandShadow(const IslandShape &outline, const IslandShadowPlan &shadow);

// The shadow image for an island of `size` points at `deviceScale`: black at `opacity` blurred by
// `radius` points, covering the island's rectangle grown by 3 radii (and the offset) on each side.
// Recent images are kept. Drawn at a new size or place, the shadow is one scaled draw of its image;
// drawn again unchanged, it is copied from a picture of what that draw gave, except where the
// opaque body covers it.
QImage islandShadowImage(const IslandShape &outline, QSizeF size, double opacity, double radius, double deviceScale);

}  // namespace vesk
