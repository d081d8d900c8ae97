#pragma once

#include "Kit/Node.h"
#include "Kit/Transition.h"

#include <QImage>

#include <functional>

namespace kit {

// Blurs a premultiplied ARGB32 image in place with a Gaussian of standard deviation `sigma`
// pixels, approximated by three box passes (within a few percent, and linear in the image size
// whatever the radius). A sigma below 0.1 leaves every pixel as it was.
void gaussianBlur(QImage &image, double sigma);
// The same blur, left at the reduced size it was computed at (for drawing scaled back up).
QImage blurredReduced(const QImage &image, double sigma);

// Keeps pixels whose alpha is within [min, max] as solid `color`, the others transparent.
void alphaThreshold(QImage &image, double min, double max, const QColor &color);

// The rectangle the node and everything inside it may draw into, in its own coordinates
// (before its own effects' margins).
QRectF subtreeBounds(const Node &node);

// Paints `content` into an offscreen layer covering `bounds` (node coordinates) at the device
// resolution of the painter, lets `process` work on the pixels, then composites the layer with
// `opacity`. With `reduction` above 1 the layer is drawn at that fraction of the device
// resolution and scaled back up as it is composited (for wide blurs). This is how a
// subtree fades as one (no brighter overlaps) and how it blurs.
void paintLayer(PaintContext &ctx, const QRectF &bounds, double opacity,
                const std::function<void(PaintContext &)> &content,
                const std::function<void(QImage &, double deviceScale)> &process = {}, int reduction = 1,
                QRectF *drawnAt = nullptr);

// Whether anything in the node's subtree is moving now.
bool subtreeAnimating(const Node &node);

// Paints a node's content through a transition effect (offset, scale about its anchor, blur,
// group opacity).
void paintWithEffect(const Node &node, const TransitionEffect &effect, PaintContext &ctx);

// Paints `paint` with group opacity `opacity` and a Gaussian blur of `blur` points.
void paintFaded(const Node &node, double opacity, double blur, PaintContext &ctx,
                const std::function<void(PaintContext &)> &paint);

}  // namespace kit
