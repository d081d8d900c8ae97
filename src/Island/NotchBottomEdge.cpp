#include "Island/NotchBottomEdge.h"

#include "Island/IslandShape.h"

#include <algorithm>

namespace vesk {

QPainterPath NotchBottomEdge::path(const QRectF &r) const
{
    if (style == Style::pill) {
        // The capsule's body, inset on all sides, with its corners shrunk by the inset so the two
        // stay concentric. The open capsule's body stands `topRadius` in from each side of its
        // rectangle, as the filled outline does: the line follows the body, never the room beside it.
        const double radius = std::max(0.0, bottomRadius - inset);
        return IslandShape{topRadius, radius, radius}.path(r.adjusted(inset, inset, -inset, -inset));
    }
    const double w = r.width(), h = r.height();
    const double t = std::max(0.0, std::min(topRadius, w / 4));
    const double b = std::max(0.0, std::min({bottomRadius, h / 2, w / 4}));
    const double i = inset;
    const double minX = r.left(), maxX = r.right(), minY = r.top(), maxY = r.bottom();
    const double left = minX + i + t, right = maxX - i - t;

    QPainterPath p;
    p.moveTo(minX + i, minY);
    addIslandCorner(p, {left, minY + i + t}, {left, minY});
    p.lineTo(left, maxY - b);
    addIslandCorner(p, {minX + t + b, maxY - i}, {left, maxY - i});
    p.lineTo(maxX - t - b, maxY - i);
    addIslandCorner(p, {right, maxY - b}, {right, maxY - i});
    p.lineTo(right, minY + i + t);
    addIslandCorner(p, {maxX - i, minY}, {right, minY});
    return p;  // open: nothing joins the two top ends
}

kit::AnyShape NotchBottomEdge::shape() const
{
    // Style and inset switch at once: the style picks the builder, the inset is a constant.
    auto pill = [](const QRectF &rect, const std::vector<double> &d) {
        return NotchBottomEdge{Style::pill, d[0], d[1], d[2]}.path(rect);
    };
    auto notch = [](const QRectF &rect, const std::vector<double> &d) {
        return NotchBottomEdge{Style::notch, d[0], d[1], d[2]}.path(rect);
    };
    const bool isPill = style == Style::pill;
    return {isPill ? QStringLiteral("NotchBottomEdge.pill") : QStringLiteral("NotchBottomEdge.notch"),
            isPill ? kit::AnyShape::Builder(pill) : kit::AnyShape::Builder(notch),
            {topRadius, bottomRadius},
            {inset},
            nullptr,
            false};
}

}  // namespace vesk
