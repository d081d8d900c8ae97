#pragma once

#include "Kit/Kit.h"

namespace vesk {

// The miniature building blocks of the settings previews and the tour's miniature island: a flat
// backdrop standing for the desktop picture, a placeholder artwork square and a still visualiser.
// Plain values; they read nothing and own nothing.

struct MiniWallpaper {
    static constexpr kit::Color color = kit::Color::rgb(0.56, 0.56, 0.58);
    friend bool operator==(const MiniWallpaper &, const MiniWallpaper &) = default;
    kit::Element body(const kit::Env &) const;
};

struct MiniArtwork {
    // The previews' accent colour, shared by every preview and the tour.
    static constexpr kit::Color accent = kit::Color::rgb(0.18, 0.42, 0.96);
    double size = 0;
    friend bool operator==(const MiniArtwork &, const MiniArtwork &) = default;
    kit::Element body(const kit::Env &) const;
};

struct MiniBars {
    kit::Color color = kit::Color::white();
    double height = 0;
    // Bar heights, left to right, as fractions of `height`.
    static constexpr double heights[5] = {0.5, 1.0, 0.65, 0.9, 0.4};
    friend bool operator==(const MiniBars &, const MiniBars &) = default;
    kit::Element body(const kit::Env &) const;
};

namespace previews {

// Lengths and fractions from settings may be anything: a negative, infinite or NaN one draws as 0
// (or the range's end), so no opacity leaves 0...1 and no frame turns negative.
double nonNegative(double v);
double unit(double v);

// The translucent menu-bar strip pinned to the top edge of a miniature screen.
kit::Element menuBar(double height);

// A miniature screen: the wallpaper, the menu bar of `barHeight` and `island` at the top centre.
kit::Element screen(double barHeight, kit::Element island);

}  // namespace previews

}  // namespace vesk
