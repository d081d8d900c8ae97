#pragma once

#include "Kit/Kit.h"

#include <vector>

namespace vesk {

// The island's background: solid black, or, where the platform has a glass material and the user
// lets the island fade to glass, black at the top fading into glass toward the bottom.
struct IslandFill {
    double frost = 0;         // strength of the frosted glass over the clear one
    bool fadesOut = false;    // show glass now
    bool usesGlass = false;   // glass is available at all
    double solidUntil = 0.6;  // fraction of the height from the top that stays black
    double cornerRadius = 0;  // the outline's bottom radius
    double sideInset = 0;     // the outline's top radius: the glass keeps out of the concave corners

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const IslandFill &, const IslandFill &) = default;

    // The fade layer's top-to-bottom stops for `solidUntil`.
    static std::vector<kit::GradientStop> fadeStops(double solidUntil);
    // Width fraction of each soft side edge of the fade mask for a layer `width` points wide.
    static double sideFade(double width);
    // Where the fade mask's top band stops being fully opaque, for a layer `height` points high.
    static double solidMaskEnd(double solidUntil, double height);
};

// The system glass in a rounded rectangle; its kind (clear or frosted) is fixed when it is made,
// its corner radius follows at once and its opacity moves over 0.3 s.
struct IslandGlass {
    double cornerRadius = 0;
    bool isFrosted = false;
    double alpha = 0;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const IslandGlass &, const IslandGlass &) = default;
};

}  // namespace vesk
