#pragma once

#include "Kit/Node.h"
#include "Kit/Transition.h"

#include <QImage>

#include <functional>
#include <optional>
#include <vector>

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

// Keeps pixels whose alpha is within [min, max] as solid `color`, the others transparent.
void alphaThreshold(QImage &image, double min, double max, const QColor &color);

// The rectangle the node's subtree may draw into, in its own coordinates (before its own effects'
// margins): its drawing leaves' frames, widened by a point, with the offsets and the effect margins
// of the nodes on their way. Null where nothing inside draws.
QRectF subtreeBounds(const Node &node);

// A finished layer kept on the node of the effect that drew it. It is shown again as it is while
// nothing inside the node has changed (subtreeSettledSince) or moves, the painter maps it onto the
// same device pixels, and the effect's own numbers (`params`) are the same; its allocation is reused
// when the layer must be drawn again at the same size.
struct LayerCache {
    bool valid = false;
    uint64_t version = 0;
    QTransform world;
    QRect pixels;
    int reduction = 1;
    double scale = 1;
    int hints = 0;
    std::vector<double> params;
    QImage picture;  // processed, before the opacity it is composited with
    // The parts of `picture` holding any pixel, found when it is first shown again.
    bool piecesKnown = false;
    std::vector<QRect> pieces;
};

// The power of two (up to 8) by which a layer blurred by `sigma` device pixels is drawn reduced: a
// blur loses nothing visible at a lower resolution while at least 2 pixels of sigma remain there,
// and the layer is scaled back up smoothly as it is composited.
int blurReduction(double sigma);

// Paints `content` into an offscreen layer covering `bounds` (node coordinates) at the device
// resolution of the painter, lets `process` work on the pixels, then composites the layer with
// `opacity`. With `reduction` above 1 the layer is drawn at that fraction of the device
// resolution and scaled back up as it is composited (for wide blurs). This is how a
// subtree fades as one (no brighter overlaps) and how it blurs. With a `keeper`, the finished
// layer is kept on it (LayerCache) and shown again while still right; `params` are the numbers
// besides the keeper's subtree that the picture depends on. `reach` is how many device pixels
// `process` moves colour by (a blur's spread; 0 for work pixel by pixel): the layer then stops that
// far outside the painter's clip, as nothing beyond could show.
void paintLayer(PaintContext &ctx, const QRectF &bounds, double opacity,
                const std::function<void(PaintContext &)> &content,
                const std::function<void(QImage &, double deviceScale)> &process = {}, int reduction = 1,
                QRectF *drawnAt = nullptr, const Node *keeper = nullptr, std::vector<double> params = {},
                std::optional<double> reach = std::nullopt);

// Whether `node` draws nothing now: it, or a node down its chain of single children, is faded out
// or hidden.
bool paintsNothing(const Node &node);

// Whether anything in the node's subtree is moving now.
bool subtreeAnimating(const Node &node);
// The runs of 32-pixel tiles of `layer` holding a pixel with any of `bits` set, a run per row of
// tiles and stretch of neighbouring tiles, top to bottom and left to right.
std::vector<QRect> coveredRuns(const QImage &layer, uint32_t bits);
// Whether nothing in the node's subtree moves now or has changed since the tree's change stamp
// `stamp` (Tree::changeStamp): a picture of it drawn at that stamp is still right.
bool subtreeSettledSince(const Node &node, uint64_t stamp);

// Paints a node's content through a transition effect (offset, scale about its anchor, blur,
// group opacity).
void paintWithEffect(const Node &node, const TransitionEffect &effect, PaintContext &ctx);

// Paints `paint` with group opacity `opacity` and a Gaussian blur of `blur` points. With `keep`,
// the layer is kept on `node` while it stays right (`paint` must then draw `node`'s subtree).
void paintFaded(const Node &node, double opacity, double blur, PaintContext &ctx,
                const std::function<void(PaintContext &)> &paint, bool keep = false);

}  // namespace kit
