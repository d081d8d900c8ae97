#pragma once

#include "Kit/Geometry.h"

#include <QBrush>
#include <QColor>

#include <variant>
#include <vector>

namespace kit {

// A colour in sRGB with opacity, each channel 0..1. Plain value; animates channel by channel.
struct Color {
    double r = 0, g = 0, b = 0, a = 1;

    static constexpr Color rgb(double r, double g, double b, double a = 1) { return {r, g, b, a}; }
    static constexpr Color white(double a = 1) { return {1, 1, 1, a}; }
    static constexpr Color black(double a = 1) { return {0, 0, 0, a}; }
    static constexpr Color clear() { return {0, 0, 0, 0}; }
    static Color fromQColor(const QColor &c) { return {c.redF(), c.greenF(), c.blueF(), c.alphaF()}; }
    // 0xRRGGBB
    static constexpr Color hex(unsigned rgb, double a = 1)
    {
        return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, a};
    }

    constexpr Color opacity(double factor) const { return {r, g, b, a * factor}; }
    QColor toQColor() const;
    friend constexpr bool operator==(const Color &, const Color &) = default;
};

struct GradientStop {
    Color color;
    double location = 0;  // 0..1 along the gradient
    friend constexpr bool operator==(const GradientStop &, const GradientStop &) = default;
};

// A linear gradient between two unit points of the shape's bounding rectangle.
struct LinearGradient {
    std::vector<GradientStop> stops;
    UnitPoint start = UnitPoint::top();
    UnitPoint end = UnitPoint::bottom();

    QBrush brush(const QRectF &bounds) const;
    friend bool operator==(const LinearGradient &, const LinearGradient &) = default;
};

// What fills or strokes a shape.
using Paint = std::variant<Color, LinearGradient>;

QBrush brushFor(const Paint &paint, const QRectF &bounds);

}  // namespace kit
