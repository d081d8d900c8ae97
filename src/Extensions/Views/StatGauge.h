#pragma once

#include "Kit/Element.h"

namespace vesk {

// One reading of the System Stats page: a ring filled clockwise from the top in proportion to
// `value` (clamped to 0...1) with `center` and a percent sign in it, then `title` and, under it,
// `detail` on one line (shrinking to 80 % before it is cut). As wide as it may grow.
struct StatGauge {
    QString title;
    double value = 0;
    QString center;
    QString detail;
    kit::Color tint;

    kit::Element body(const kit::Env &) const;
    bool operator==(const StatGauge &) const = default;
};

// A label: its icon in a 9.5-point bold symbol, 3 points before its title, which keeps the font
// of its surroundings.
struct StatLabelStyle {
    static kit::Element make(const QString &icon, kit::Element title);
};

// The ring of a gauge, for a Painter: track and clockwise fill from the top, `value` clamped.
void paintCapacityRing(QPainter &painter, const QRectF &rect, double value, const kit::Color &tint);

}  // namespace vesk
