#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

namespace kit {

// An outline drawn in a rectangle. A shape is a plain value: a name, a builder and its numbers.
// The numbers are the shape's animatable data: when a shape changes under an animation, Kit
// animates each number and rebuilds the path every frame from the values on screen, so one
// outline morphs into the next (and may overshoot with a spring).
struct AnyShape {
    using Builder = QPainterPath (*)(const QRectF &rect, const std::vector<double> &data);

    QString name;
    Builder build = nullptr;
    std::vector<double> data;
    // Numbers that shape the outline but switch at once (they follow `data` in the builder's input).
    std::vector<double> constants;
    std::shared_ptr<const QPainterPath> fixed;  // a free-form path in the node's coordinates
    bool evenOdd = false;

    QPainterPath path(const QRectF &rect) const { return path(rect, data); }
    QPainterPath path(const QRectF &rect, const std::vector<double> &values) const;

    friend bool operator==(const AnyShape &a, const AnyShape &b)
    {
        return a.build == b.build && a.data == b.data && a.constants == b.constants && a.evenOdd == b.evenOdd
               && (a.fixed == b.fixed || (a.fixed && b.fixed && *a.fixed == *b.fixed));
    }
};

enum class CornerStyle { circular, continuous };

AnyShape Rectangle();
AnyShape RoundedRectangle(double cornerRadius, CornerStyle style = CornerStyle::circular);
AnyShape Capsule();
AnyShape Circle();   // the largest circle centred in the rectangle
AnyShape Ellipse();
// A path of lines and cubic curves in the node's own coordinates (not scaled to the rectangle).
AnyShape Path(const QPainterPath &path, bool evenOdd = false);

// Adds a rounded rectangle with corners of `radius` to `path`; continuous corners start further
// along each edge and bend more gently, like a squircle.
void addRoundedRect(QPainterPath &path, const QRectF &rect, double radius, CornerStyle style);

}  // namespace kit
