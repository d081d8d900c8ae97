#pragma once

#include "Kit/Shape.h"

#include <QPainterPath>
#include <QRectF>

namespace vesk {

// The line along the island's sides and bottom that views stroke as a thin rim, `inset` inside the
// filled outline. In notch style it is open at the top; in pill style it is the inset capsule,
// between side walls `topRadius` in from the rectangle's sides as the island's own outline has them.
// Only the two radii animate; style and inset switch at once.
struct NotchBottomEdge {
    // The island's two looks: attached to the top edge like a notch, or a floating capsule.
    enum class Style { notch, pill };
    // The edge's style for the island's style (any enumeration with `notch` and `pill`).
    template <typename E>
    static constexpr Style styleOf(E style)
    {
        return style == E::pill ? Style::pill : Style::notch;
    }

    Style style = Style::notch;
    double topRadius = 0;
    double bottomRadius = 0;
    double inset = 0;

    QPainterPath path(const QRectF &rect) const;
    kit::AnyShape shape() const;
    operator kit::AnyShape() const { return shape(); }
    friend constexpr bool operator==(const NotchBottomEdge &, const NotchBottomEdge &) = default;
};

}  // namespace vesk
