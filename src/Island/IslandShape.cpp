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

namespace {

struct Radii {
    double t, b, c;
};

// Radii are capped so that a very small island never turns inside out.
Radii capped(const IslandShape &s, const QRectF &r)
{
    const double w = r.width(), h = r.height();
    return {std::max(0.0, std::min(s.topRadius, w / 4)), std::max(0.0, std::min({s.bottomRadius, h / 2, w / 4})),
            std::max(0.0, std::min({s.topCorner, h / 2, w / 4}))};
}

}  // namespace

QRectF IslandShape::solidPart(const QRectF &r) const
{
    const auto [t, b, c] = capped(*this, r);
    return r.adjusted(t, t + c, -t, -b);
}

QPainterPath IslandShape::path(const QRectF &r) const
{
    const auto [t, b, c] = capped(*this, r);
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
