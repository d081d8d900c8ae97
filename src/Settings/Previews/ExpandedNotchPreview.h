#pragma once

#include "Kit/Kit.h"

#include <QString>

namespace vesk {

// The open island on the media player, at the top of a miniature screen: black or fading to glass,
// with or without its shadow, the play button's hover plate, the output button and the bars.
struct ExpandedNotchPreview {
    bool fadesToGlass = false;
    QString hoverStyle;  // "circle", "none", anything else a rounded square
    bool showsOutputButton = false;
    bool showsVisualizer = false;
    bool tinted = false;
    bool hasShadow = false;
    double scale = 1;

    friend bool operator==(const ExpandedNotchPreview &, const ExpandedNotchPreview &) = default;
    kit::Element body(const kit::Env &) const;
};

namespace previews {

// The plate behind a hovered player button, framed `side` square: white at `alpha` (0 for "none"),
// a circle for "circle", else a square with corners of `cornerRadius`.
kit::Element hoverPlate(const QString &style, double side, double cornerRadius, double alpha);

// The open island's outline and its black backing, framed 150s x 66s plus the 5s ears. `backing`
// goes under the content and is clipped with it.
kit::Element openIsland(kit::Element content, kit::Element backing, double s);

// The open island's shadow, black at 0.4, drawn from a plain black copy of its outline laid under
// it, so that what moves inside the island never redraws it; it fades as a whole when it goes.
kit::Element openIslandShadow(bool shown, double s);

}  // namespace previews

}  // namespace vesk
