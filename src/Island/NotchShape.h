#pragma once

#include "Kit/Shape.h"

#include <QPainterPath>
#include <QRectF>

namespace vesk {

// The outline of a plain notch: concave ears at the top edge, rounded bottom corners. Used by the
// miniature islands of the settings previews and the tour.
struct NotchShape {
    double topRadius = 0;
    double bottomRadius = 0;

    QPainterPath path(const QRectF &rect) const;
    kit::AnyShape shape() const;
    operator kit::AnyShape() const { return shape(); }
    friend constexpr bool operator==(const NotchShape &, const NotchShape &) = default;
};

}  // namespace vesk
