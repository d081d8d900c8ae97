#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <limits>
#include <optional>

namespace kit {

inline constexpr double infinity = std::numeric_limits<double>::infinity();

// What a parent offers a child in layout: a width and a height, each either a length (possibly
// infinite: "as much as you like") or unspecified ("your ideal size").
struct Proposal {
    std::optional<double> width;
    std::optional<double> height;

    static Proposal ideal() { return {}; }
    static Proposal zero() { return {0.0, 0.0}; }
    static Proposal unlimited() { return {infinity, infinity}; }
    static Proposal of(QSizeF size) { return {size.width(), size.height()}; }
    friend bool operator==(const Proposal &, const Proposal &) = default;
};

enum class HAlign { leading, center, trailing };
enum class VAlign { top, center, bottom };

// A two-axis alignment: where a child sits inside the space its parent gives it.
struct Alignment {
    HAlign horizontal = HAlign::center;
    VAlign vertical = VAlign::center;

    static constexpr Alignment center() { return {HAlign::center, VAlign::center}; }
    static constexpr Alignment top() { return {HAlign::center, VAlign::top}; }
    static constexpr Alignment bottom() { return {HAlign::center, VAlign::bottom}; }
    static constexpr Alignment leading() { return {HAlign::leading, VAlign::center}; }
    static constexpr Alignment trailing() { return {HAlign::trailing, VAlign::center}; }
    static constexpr Alignment topLeading() { return {HAlign::leading, VAlign::top}; }
    static constexpr Alignment topTrailing() { return {HAlign::trailing, VAlign::top}; }
    static constexpr Alignment bottomLeading() { return {HAlign::leading, VAlign::bottom}; }
    static constexpr Alignment bottomTrailing() { return {HAlign::trailing, VAlign::bottom}; }
    friend constexpr bool operator==(const Alignment &, const Alignment &) = default;
};

// A point in a rectangle in unit coordinates: (0, 0) is the top-left corner, (1, 1) the bottom-right.
struct UnitPoint {
    double x = 0.5;
    double y = 0.5;
    static constexpr UnitPoint center() { return {0.5, 0.5}; }
    static constexpr UnitPoint top() { return {0.5, 0}; }
    static constexpr UnitPoint bottom() { return {0.5, 1}; }
    static constexpr UnitPoint leading() { return {0, 0.5}; }
    static constexpr UnitPoint trailing() { return {1, 0.5}; }
    static constexpr UnitPoint topLeading() { return {0, 0}; }
    static constexpr UnitPoint topTrailing() { return {1, 0}; }
    static constexpr UnitPoint bottomLeading() { return {0, 1}; }
    static constexpr UnitPoint bottomTrailing() { return {1, 1}; }
    QPointF in(const QRectF &r) const { return {r.x() + x * r.width(), r.y() + y * r.height()}; }
    friend constexpr bool operator==(const UnitPoint &, const UnitPoint &) = default;
};

// Per-edge lengths (padding, insets). Negative values are allowed and pull the content outwards.
struct Edges {
    double top = 0, leading = 0, bottom = 0, trailing = 0;

    static constexpr Edges all(double v) { return {v, v, v, v}; }
    static constexpr Edges horizontal(double v) { return {0, v, 0, v}; }
    static constexpr Edges vertical(double v) { return {v, 0, v, 0}; }
    static constexpr Edges topOnly(double v) { return {v, 0, 0, 0}; }
    static constexpr Edges bottomOnly(double v) { return {0, 0, v, 0}; }
    static constexpr Edges leadingOnly(double v) { return {0, v, 0, 0}; }
    static constexpr Edges trailingOnly(double v) { return {0, 0, 0, v}; }
    constexpr double width() const { return leading + trailing; }
    constexpr double height() const { return top + bottom; }
    friend constexpr bool operator==(const Edges &, const Edges &) = default;
};

// The alignment point of a box of `size` along each axis, before any custom guide.
inline double defaultGuide(HAlign a, double width)
{
    return a == HAlign::leading ? 0.0 : a == HAlign::center ? width / 2 : width;
}
inline double defaultGuide(VAlign a, double height)
{
    return a == VAlign::top ? 0.0 : a == VAlign::center ? height / 2 : height;
}

}  // namespace kit
