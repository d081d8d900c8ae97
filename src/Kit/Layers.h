#pragma once

// Drawing a subtree into an offscreen layer and compositing it: how a subtree fades as one, blurs,
// casts a shadow or is kept as a picture while it holds still.

#include "Kit/Node.h"
#include "Kit/Transition.h"

#include <QImage>

#include <functional>
#include <optional>
#include <vector>

namespace kit {

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

// What paintLayer draws and how.
struct LayerOptions {
    // What the layer covers, in node coordinates.
    QRectF bounds;
    // The opacity the finished layer is composited with.
    double opacity = 1;
    // Draws the content into the layer.
    std::function<void(PaintContext &)> content;
    // Works on the layer's pixels before they are composited.
    std::function<void(QImage &, double deviceScale)> process = {};
    // Above 1, the layer is drawn at that fraction of the device resolution and scaled back up as it
    // is composited (for wide blurs).
    int reduction = 1;
    // Where given, set to the device rectangle the layer covers.
    QRectF *drawnAt = nullptr;
    // Where given, the finished layer is kept on it (LayerCache) and shown again while still right.
    const Node *keeper = nullptr;
    // The numbers besides the keeper's subtree that the picture depends on.
    std::vector<double> params = {};
    // How many device pixels `process` moves colour by (a blur's spread; 0 for work pixel by pixel):
    // the layer then stops that far outside the painter's clip, as nothing beyond could show.
    std::optional<double> reach = std::nullopt;
};

// Paints `content` into an offscreen layer covering `bounds` at the device resolution of the
// painter, lets `process` work on the pixels, then composites the layer with `opacity`. This is how
// a subtree fades as one (no brighter overlaps) and how it blurs.
void paintLayer(PaintContext &ctx, LayerOptions options);

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
