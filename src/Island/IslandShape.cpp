#include "Island/IslandShape.h"

#include <algorithm>

namespace vesk {

namespace {
constexpr double kCornerFactor = 0.5523;
}

void addIslandCorner(QPainterPath &path, QPointF end, QPointF corner)
{
    const QPointF start = path.currentPosition();
    path.cubicTo(start + (corner - start) * kCornerFactor, end + (corner - end) * kCornerFactor, end);
}

QPainterPath IslandShape::path(const QRectF &r) const
{
    const double w = r.width(), h = r.height();
    // Radii are capped so that a very small island never turns inside out.
    const double t = std::max(0.0, std::min(topRadius, w / 4));
    const double b = std::max(0.0, std::min({bottomRadius, h / 2, w / 4}));
    const double c = std::max(0.0, std::min({topCorner, h / 2, w / 4}));
    const double minX = r.left(), maxX = r.right(), minY = r.top(), maxY = r.bottom();

    QPainterPath p;
    p.moveTo(minX + c, minY);
    addIslandCorner(p, {minX + t, minY + t + c}, {minX + t, minY});
    p.lineTo(minX + t, maxY - b);
    addIslandCorner(p, {minX + t + b, maxY}, {minX + t, maxY});
    p.lineTo(maxX - t - b, maxY);
    addIslandCorner(p, {maxX - t, maxY - b}, {maxX - t, maxY});
    p.lineTo(maxX - t, minY + t + c);
    addIslandCorner(p, {maxX - c, minY}, {maxX - t, minY});
    p.closeSubpath();
    return p;
}

kit::AnyShape IslandShape::shape() const
{
    return {QStringLiteral("IslandShape"),
            [](const QRectF &rect, const std::vector<double> &d) { return IslandShape{d[0], d[1], d[2]}.path(rect); },
            {topRadius, topCorner, bottomRadius},
            {},
            nullptr,
            false};
}

}  // namespace vesk
