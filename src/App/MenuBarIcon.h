#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

namespace vesk {

// The small picture that labels the tray entry: a rounded-square ring around a rounded square
// with the island cut out of it as a capsule, and inside the capsule a dot (the artwork) and four
// bars (the visualiser). 18 x 18 points. Trays here have no template images, so the tray paints
// it in its palette's text colour through render().
namespace MenuBarIcon {

inline constexpr double side = 18.0;  // points

// Draws the icon in `color` into a painter whose user units are points, top-left at the origin.
void draw(QPainter &painter, const QColor &color);
// The icon at `scale` device pixels per point, in `color` on transparent; the image's device
// pixel ratio is `scale`, so it measures 18 x 18 in points.
QImage render(double scale, const QColor &color = Qt::black);
// The shared black image at two pixels per point, created on first use.
const QImage &image();

}  // namespace MenuBarIcon

}  // namespace vesk
