#pragma once

// Work on the pixels of a finished layer: the Gaussian blur (three box passes, SIMD where the
// processor has it), the bilinear stretch of a reduced layer back up, and the alpha threshold.

#include <QColor>
#include <QImage>
#include <QSize>

namespace kit {

// Blurs a premultiplied ARGB32 image in place with a Gaussian of standard deviation `sigma`
// pixels, approximated by three box passes (within a few percent, and linear in the image size
// whatever the radius). A sigma below 0.1 leaves every pixel as it was.
void gaussianBlur(QImage &image, double sigma);
// The same blur, left at the reduced size it was computed at (for drawing scaled back up).
QImage blurredReduced(const QImage &image, double sigma);

// The image stretched to `size` (larger) with bilinear filtering, pixel centres aligned and edge
// pixels repeated, as premultiplied ARGB32: how a reduced layer is scaled back up.
QImage enlarged(const QImage &image, QSize size);
// The same stretch of a premultiplied ARGB32 `src` into `out`, which already has the larger size
// (and may wrap a buffer kept for the purpose).
void enlargeInto(const QImage &src, QImage &out);

// Keeps pixels whose alpha is within [min, max] as solid `color`, the others transparent.
void alphaThreshold(QImage &image, double min, double max, const QColor &color);

// The power of two (up to 8) by which a layer blurred by `sigma` device pixels is drawn reduced: a
// blur loses nothing visible at a lower resolution while at least 2 pixels of sigma remain there,
// and the layer is scaled back up smoothly as it is composited.
int blurReduction(double sigma);

}  // namespace kit
