#pragma once

// Heavier weights of the icon font's symbols, which has only one. A symbol is emboldened by
// growing its outline, and only as far as keeps every gap its regular drawing has at the size it
// is drawn: the parts stay apart, the cut-outs open and the strokes across its middle separate.

#include "Kit/Font.h"

#include <QImage>
#include <QPainterPath>
#include <QString>

#include <vector>

namespace kit {

// The shape of a drawing's ink (alpha of at least half): its separate parts, the holes inside it,
// and the runs of ink along its middle row and middle column.
struct InkShape {
    int parts = 0;
    int holes = 0;
    int rowRuns = 0;
    int columnRuns = 0;
    friend bool operator==(const InkShape &, const InkShape &) = default;
};
InkShape inkShape(const QImage &image);

// The symbol's outline in `side` x `side` (the fallback outline for an unknown name).
QPainterPath symbolOutline(const QString &name, double side);

// How far (in device pixels) `weight` grows the outline of `name` drawn `devicePixels` across:
// the weight's own extra where that keeps the regular drawing's shape, less where it does not.
// Kept per name, device size and weight.
double symbolEmboldening(const QString &name, double devicePixels, Weight weight);

// The weight's own extra, before any is taken back for the symbol's gaps.
double nominalEmboldening(double devicePixels, Weight weight);

// The symbol drawn opaque in `color` (its alpha ignored) at `devicePixels`, padded by
// `symbolImagePadding` pixels on every side. Kept per name, device size, weight and colour.
inline constexpr int symbolImagePadding = 2;
const QImage &symbolImage(const QString &name, double devicePixels, Weight weight, const QColor &color);

// The outline grown by `extra` as one path, for drawing where no picture fits (a rotated or
// skewed painter): filled once, so a translucent colour has one alpha over it.
QPainterPath emboldenedOutline(const QPainterPath &outline, double extra);

// Every symbol drawn in this process so far, by name, size in device pixels and weight: what the
// views really draw, for checking their shapes.
struct DrawnSymbol {
    QString name;
    double devicePixels = 0;
    Weight weight = Weight::regular;
    friend bool operator==(const DrawnSymbol &, const DrawnSymbol &) = default;
};
std::vector<DrawnSymbol> symbolsDrawn();

}  // namespace kit
