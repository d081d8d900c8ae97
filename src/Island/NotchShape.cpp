#include "Island/NotchShape.h"

#include "Island/IslandShape.h"

#include <algorithm>

namespace vesk {

QPainterPath NotchShape::path(const QRectF &r) const
{
    const double w = r.width(), h = r.height();
    const double t = std::max(0.0, std::min(topRadius, w / 4));
    const double b = std::max(0.0, std::min({bottomRadius, h / 2, w / 4}));
    const double minX = r.left(), maxX = r.right(), minY = r.top(), maxY = r.bottom();

    QPainterPath p;
    p.moveTo(minX, minY);
    addIslandCorner(p, {minX + t, minY + t}, {minX + t, minY});
    p.lineTo(minX + t, maxY - b);
    addIslandCorner(p, {minX + t + b, maxY}, {minX + t, maxY});
    p.lineTo(maxX - t - b, maxY);
    addIslandCorner(p, {maxX - t, maxY - b}, {maxX - t, maxY});
    p.lineTo(maxX - t, minY + t);
    addIslandCorner(p, {maxX, minY}, {maxX - t, minY});
    p.closeSubpath();
    return p;
}

kit::AnyShape NotchShape::shape() const
{
    return {QStringLiteral("NotchShape"),
            [](const QRectF &rect, const std::vector<double> &d) { return NotchShape{d[0], d[1]}.path(rect); },
            {topRadius, bottomRadius},
            {},
            nullptr,
            false};
}

}  // namespace vesk
