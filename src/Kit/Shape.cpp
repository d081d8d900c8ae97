#include "Kit/Shape.h"

#include <algorithm>

namespace kit {

QPainterPath AnyShape::path(const QRectF &rect, const std::vector<double> &values) const
{
    QPainterPath out;
    if (fixed)
        out = *fixed;
    else if (build && constants.empty())
        out = build(rect, values);
    else if (build) {
        std::vector<double> all = values;
        all.insert(all.end(), constants.begin(), constants.end());
        out = build(rect, all);
    }
    out.setFillRule(evenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    return out;
}

void addRoundedRect(QPainterPath &path, const QRectF &rect, double radius, CornerStyle style)
{
    const double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    if (r <= 0) {
        path.addRect(rect);
        return;
    }
    if (style == CornerStyle::circular) {
        path.addRoundedRect(rect, r, r);
        return;
    }
    // Continuous corners: the curve leaves each edge 1.28 r from the corner (as far as the side
    // allows) and its control points sit close to the corner, so the curvature grows gradually.
    const double leg = std::min(r * 1.28, std::min(rect.width(), rect.height()) / 2);
    const double ctl = leg - r * 0.92;  // distance of the control points from the corner
    const double l = rect.left(), t = rect.top(), rr = rect.right(), b = rect.bottom();
    path.moveTo(l + leg, t);
    path.lineTo(rr - leg, t);
    path.cubicTo(rr - ctl, t, rr, t + ctl, rr, t + leg);
    path.lineTo(rr, b - leg);
    path.cubicTo(rr, b - ctl, rr - ctl, b, rr - leg, b);
    path.lineTo(l + leg, b);
    path.cubicTo(l + ctl, b, l, b - ctl, l, b - leg);
    path.lineTo(l, t + leg);
    path.cubicTo(l, t + ctl, l + ctl, t, l + leg, t);
    path.closeSubpath();
}

AnyShape Rectangle()
{
    return {QStringLiteral("rectangle"), [](const QRectF &r, const std::vector<double> &) {
                QPainterPath p;
                p.addRect(r);
                return p;
            }, {}, {}, nullptr, false};
}

AnyShape RoundedRectangle(double cornerRadius, CornerStyle style)
{
    if (style == CornerStyle::circular)
        return {QStringLiteral("roundedRectangle"), [](const QRectF &r, const std::vector<double> &d) {
                    QPainterPath p;
                    addRoundedRect(p, r, d[0], CornerStyle::circular);
                    return p;
                }, {cornerRadius}, {}, nullptr, false};
    return {QStringLiteral("roundedRectangle.continuous"), [](const QRectF &r, const std::vector<double> &d) {
                QPainterPath p;
                addRoundedRect(p, r, d[0], CornerStyle::continuous);
                return p;
            }, {cornerRadius}, {}, nullptr, false};
}

AnyShape Capsule()
{
    return {QStringLiteral("capsule"), [](const QRectF &r, const std::vector<double> &) {
                QPainterPath p;
                addRoundedRect(p, r, std::min(r.width(), r.height()) / 2, CornerStyle::circular);
                return p;
            }, {}, {}, nullptr, false};
}

AnyShape Circle()
{
    return {QStringLiteral("circle"), [](const QRectF &r, const std::vector<double> &) {
                const double d = std::min(r.width(), r.height());
                QPainterPath p;
                p.addEllipse(QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d));
                return p;
            }, {}, {}, nullptr, false};
}

AnyShape Ellipse()
{
    return {QStringLiteral("ellipse"), [](const QRectF &r, const std::vector<double> &) {
                QPainterPath p;
                p.addEllipse(r);
                return p;
            }, {}, {}, nullptr, false};
}

AnyShape Path(const QPainterPath &path, bool evenOdd)
{
    return {QStringLiteral("path"), nullptr, {}, {}, std::make_shared<const QPainterPath>(path), evenOdd};
}

}  // namespace kit
