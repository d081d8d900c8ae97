#include "Settings/Previews/Miniatures.h"

#include <algorithm>
#include <cmath>

namespace vesk {

using namespace kit;

Element MiniWallpaper::body(const Env &) const { return Fill(color); }

Element MiniArtwork::body(const Env &) const
{
    const double side = previews::nonNegative(size);
    return Fill(RoundedRectangle(0.24 * side, CornerStyle::continuous), accent).frame(side, side);
}

Element MiniBars::body(const Env &) const
{
    const double h = previews::nonNegative(height);
    Elements bars;
    for (double fraction : heights)
        bars.push_back(Fill(Capsule(), color).frame(0.16 * h, fraction * h));
    return HStack({.alignment = Alignment::center(), .spacing = 0.14 * h}, std::move(bars)).frame(std::nullopt, h);
}

namespace previews {

double nonNegative(double v) { return std::isfinite(v) && v > 0 ? v : 0.0; }

double unit(double v)
{
    if (std::isnan(v))
        return 0;
    return std::clamp(v, 0.0, 1.0);
}

Element menuBar(double height) { return Fill(Color::white(0.22)).frame(std::nullopt, height); }

Element screen(double barHeight, Element island)
{
    return ZStack({.alignment = Alignment::top()}, view(MiniWallpaper{}), menuBar(barHeight), std::move(island));
}

}  // namespace previews

}  // namespace vesk
