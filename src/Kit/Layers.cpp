#include "Kit/Layers.h"

#include "Kit/Blur.h"
#include "Kit/Tree.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kit {

bool subtreeAnimating(const Node &node)
{
    if (node.isAnimating())
        return true;
    for (const auto &c : node.children())
        if (subtreeAnimating(*c))
            return true;
    return false;
}

bool subtreeSettledSince(const Node &node, uint64_t stamp)
{
    if (node.changedAt() > stamp || node.isAnimating())
        return false;
    for (const auto &c : node.children())
        if (!subtreeSettledSince(*c, stamp))
            return false;
    return true;
}

QRectF subtreeBounds(const Node &node)
{
    // Only leaves draw. A container's own frame can hold much empty room (a row's spacer and
    // padding, a page around a few lines), which a layer of it would clear, process and composite
    // for nothing. A leaf's ink may stray a little past its frame (glyph overhangs, half a stroke).
    if (node.children().empty())
        return node.spec().drawsNothing(node) ? QRectF() : QRectF(QPointF(0, 0), node.size()).adjusted(-1, -1, 1, 1);
    QRectF bounds;
    for (const auto &c : node.children()) {
        if (c->spec().drawsNothing(*c))
            continue;
        QRectF child = subtreeBounds(*c);
        if (child.isNull())
            continue;
        const QRectF f = c->frame();
        child.translate(f.topLeft() + QPointF(c->value(Prop::offsetX, 0), c->value(Prop::offsetY, 0)));
        const double margin = 3 * c->value(Prop::blur, 0) + 2 * c->value(Prop::shadowRadius, 0)
                              + std::abs(c->value(Prop::shadowX, 0)) + std::abs(c->value(Prop::shadowY, 0));
        child.adjust(-margin, -margin, margin, margin);
        bounds = bounds.isNull() ? child : bounds.united(child);
    }
    return bounds;
}

std::vector<QRect> coveredRuns(const QImage &layer, uint32_t bits)
{
    constexpr int tile = 32;
    const int w = layer.width(), h = layer.height();
    const int columns = (w + tile - 1) / tile;
    std::vector<uint32_t> seen(static_cast<size_t>(columns));
    std::vector<QRect> runs;
    for (int ty = 0; ty < h; ty += tile) {
        std::fill(seen.begin(), seen.end(), 0u);
        const int rows = std::min(tile, h - ty);
        for (int y = ty; y < ty + rows; ++y) {
            const auto *row = reinterpret_cast<const uint32_t *>(layer.constScanLine(y));
            for (int c = 0; c < columns; ++c) {
                const int end = std::min(w, (c + 1) * tile);
                uint32_t any = 0;
                for (int x = c * tile; x < end; ++x)
                    any |= row[x];
                seen[size_t(c)] |= any & bits;
            }
        }
        for (int c = 0; c < columns;) {
            if (!seen[size_t(c)]) {
                ++c;
                continue;
            }
            const int first = c;
            while (c < columns && seen[size_t(c)])
                ++c;
            runs.emplace_back(first * tile, ty, std::min(w, c * tile) - first * tile, rows);
        }
    }
    return runs;
}

namespace {

// The tiles of `layer` holding any pixel, joined along each row of tiles (at most `limit` pieces;
// beyond that their bounding rectangle).
std::vector<QRect> coveredPieces(const QImage &layer, size_t limit)
{
    std::vector<QRect> pieces;
    for (const QRect &piece : coveredRuns(layer, ~0u)) {
        // A piece directly under one of the same columns continues it.
        if (!pieces.empty() && pieces.back().left() == piece.left() && pieces.back().width() == piece.width()
            && pieces.back().bottom() + 1 == piece.top())
            pieces.back().setBottom(piece.bottom());
        else
            pieces.push_back(piece);
    }
    if (pieces.size() > limit) {
        QRect all;
        for (const QRect &p : pieces)
            all |= p;
        pieces = {all};
    }
    return pieces;
}

void compositeLayer(QPainter &painter, const QImage &layer, const QRect &pixels, int r, double opacity,
                    const std::vector<QRect> *pieces)
{
    painter.save();
    painter.resetTransform();
    painter.setOpacity(painter.opacity() * std::clamp(opacity, 0.0, 1.0));
    if (layer.size() == pixels.size()) {
        if (pieces) {
            // Only where the layer holds anything: the transparent rest would change nothing.
            for (const QRect &piece : *pieces)
                painter.drawImage(pixels.topLeft() + piece.topLeft(), layer, piece);
        } else {
            painter.drawImage(pixels.topLeft(), layer);
        }
    } else {
        // A reduced layer (a wide blur) is scaled back up, then drawn pixel for pixel: the painter's
        // own smooth scaling costs several times more. The pixels go through one buffer kept for
        // the purpose, as these layers come every frame while something blurs.
        static std::vector<uint32_t> buffer;
        const QSize size = layer.size() * r;
        buffer.resize(size_t(size.width()) * size_t(size.height()));
        QImage stretched(reinterpret_cast<uchar *>(buffer.data()), size.width(), size.height(), size.width() * 4,
                         QImage::Format_ARGB32_Premultiplied);
        enlargeInto(layer, stretched);
        painter.drawImage(pixels.topLeft(), stretched);
        // A rare very large layer does not hold its memory for good.
        if (buffer.size() > (size_t(1) << 20))
            std::vector<uint32_t>().swap(buffer);
    }
    painter.restore();
}

}  // namespace

bool paintsNothing(const Node &node)
{
    for (const Node *n = &node;;) {
        if (n->spec().drawsNothing(*n))
            return true;
        if (n->children().size() != 1)
            return false;
        n = n->children().front().get();
    }
}

void paintLayer(PaintContext &ctx, LayerOptions options)
{
    QPainter &painter = ctx.painter;
    const QTransform world = painter.worldTransform();
    QRectF device = world.mapRect(options.bounds);
    if (options.reach && painter.hasClipping()) {
        const double pad = std::ceil(*options.reach) + 1;
        device = device.intersected(world.mapRect(painter.clipBoundingRect()).adjusted(-pad, -pad, pad, pad));
    }
    // Nothing outside the target can show, so the layer stops at its edges (with room for a blur
    // to pull in what lies just outside).
    if (painter.device()) {
        const double pad = 64;
        const QRectF target(-pad, -pad, painter.device()->width() + 2 * pad, painter.device()->height() + 2 * pad);
        device = device.intersected(target);
    }
    const QRect pixels = device.toAlignedRect();
    if (pixels.isEmpty())
        return;
    // A reduced layer is drawn at 1/reduction of the device resolution.
    const int r = std::max(1, options.reduction);
    const QSize size = (pixels.size() + QSize(r - 1, r - 1)) / r;
    if (options.drawnAt)
        *options.drawnAt = QRectF(pixels.topLeft(), QSizeF(size * r));

    LayerCache *cache = nullptr;
    bool still = false;
    if (const Node *keeper = options.keeper) {
        if (!keeper->layerCache)
            keeper->layerCache = std::make_unique<LayerCache>();
        cache = keeper->layerCache.get();
        const int hints = int(painter.renderHints());
        if (cache->valid && cache->world == world && cache->pixels == pixels && cache->reduction == r
            && cache->scale == ctx.scale && cache->hints == hints && cache->params == options.params
            && subtreeSettledSince(*keeper, cache->version)) {
            if (!cache->piecesKnown) {
                cache->pieces = coveredPieces(cache->picture, 64);
                cache->piecesKnown = true;
            }
            if (!cache->pieces.empty())
                compositeLayer(painter, cache->picture, pixels, r, options.opacity, &cache->pieces);
            return;
        }
        still = !subtreeAnimating(*keeper);
        cache->valid = still;
        cache->version = keeper->tree().changeStamp();
        cache->world = world;
        cache->pixels = pixels;
        cache->reduction = r;
        cache->scale = ctx.scale;
        cache->hints = hints;
        cache->params = std::move(options.params);
        cache->piecesKnown = false;
    }

    QImage layer;
    // The last layer's allocation serves again when nothing else holds it.
    if (cache && cache->picture.size() == size && cache->picture.format() == QImage::Format_ARGB32_Premultiplied) {
        layer = std::move(cache->picture);
        cache->picture = QImage();
    }
    if (layer.isNull() || !layer.isDetached())
        layer = QImage(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter inner(&layer);
        inner.setRenderHints(painter.renderHints());
        inner.setWorldTransform(world * QTransform::fromTranslate(-pixels.x(), -pixels.y()) * QTransform::fromScale(1.0 / r, 1.0 / r));
        PaintContext innerCtx{inner, ctx.now, ctx.scale / r};
        options.content(innerCtx);
    }
    const double deviceScale = std::sqrt(std::abs(world.determinant())) / r;
    if (options.process)
        options.process(layer, deviceScale);
    compositeLayer(painter, layer, pixels, r, options.opacity, nullptr);
    if (cache)
        cache->picture = std::move(layer);
}

void paintFaded(const Node &node, double opacity, double blur, PaintContext &ctx,
                const std::function<void(PaintContext &)> &paint, bool keep)
{
    const bool hidden = opacity <= 0.0005 || paintsNothing(node);
    if (hidden || (blur < 0.05 && opacity >= 0.9995)) {
        // A look without a layer keeps none.
        if (keep)
            node.layerCache.reset();
        if (!hidden)
            paint(ctx);
        return;
    }
    const double margin = 3 * blur;
    const QRectF bounds = subtreeBounds(node).adjusted(-margin, -margin, margin, margin);
    const double sigma = blur * std::sqrt(std::abs(ctx.painter.worldTransform().determinant()));
    const int reduction = blur >= 0.05 ? blurReduction(sigma) : 1;
    paintLayer(ctx, {.bounds = bounds,
                     .opacity = opacity,
                     .content = paint,
                     .process = [blur](QImage &image, double deviceScale) {
                         if (blur >= 0.05)
                             gaussianBlur(image, blur * deviceScale);
                     },
                     .reduction = reduction,
                     .keeper = keep ? &node : nullptr,
                     .params = {blur},
                     .reach = blur >= 0.05 ? 3 * sigma : 0});
}

void paintWithEffect(const Node &node, const TransitionEffect &e, PaintContext &ctx)
{
    QPainter &painter = ctx.painter;
    painter.translate(e.offsetX, e.offsetY);
    if (e.scale != 1) {
        const QPointF anchor = e.anchor.in(QRectF(QPointF(0, 0), node.size()));
        painter.translate(anchor);
        painter.scale(e.scale, e.scale);
        painter.translate(-anchor);
    }
    paintFaded(node, e.opacity, e.blur, ctx, [&node](PaintContext &c) { node.spec().paint(node, c); });
}

}  // namespace kit
