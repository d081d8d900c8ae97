#pragma once

#include "Kit/Shape.h"

#include <QPainterPath>
#include <QRectF>

namespace vesk {

// The island's clip and fill outline in every state and style. Its top corners either flare out
// into the screen's top edge (topRadius > 0, topCorner 0: concave "ears"), or round off like a
// capsule's (topRadius 0, topCorner > 0), or a mix; its bottom corners are rounded by
// bottomRadius. All three radii animate, so one outline morphs into the next.
struct IslandShape {
    double topRadius = 0;
    double topCorner = 0;
    double bottomRadius = 0;

    QPainterPath path(const QRectF &rect) const;
    // The part of `rect` the outline fills entirely: between its side walls, below its top corners
    // and above its bottom ones.
    QRectF solidPart(const QRectF &rect) const;
    // As a Kit shape whose animatable data are the three radii.
    kit::AnyShape shape() const;
    operator kit::AnyShape() const { return shape(); }
    friend constexpr bool operator==(const IslandShape &, const IslandShape &) = default;
};

// Adds one corner from the path's current point to `end`, bending around `corner`: a cubic whose
// control points lie 0.5523 of the way from each end towards the corner (a quarter ellipse tangent
// to both legs when the corner is where the legs meet).
void addIslandCorner(QPainterPath &path, QPointF end, QPointF corner);

}  // namespace vesk
