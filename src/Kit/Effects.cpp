#include "Kit/Effects.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kit {

namespace {

// One box pass of width 2r+1 along rows (or columns when `vertical`), with clamped edges.
void boxPass(QImage &image, int r, bool vertical)
{
    if (r <= 0)
        return;
    const int w = image.width(), h = image.height();
    const int lines = vertical ? w : h;
    const int length = vertical ? h : w;
    const int stride = image.bytesPerLine() / 4;
    auto *bits = reinterpret_cast<uint32_t *>(image.bits());
    std::vector<uint32_t> line(static_cast<size_t>(length));
    const int window = 2 * r + 1;
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> uint32_t & { return vertical ? bits[i * stride + l] : bits[l * stride + i]; };
        for (int i = 0; i < length; ++i)
            line[size_t(i)] = at(i);
        auto px = [&](int i) { return line[size_t(std::clamp(i, 0, length - 1))]; };
        int sum[4] = {0, 0, 0, 0};
        for (int i = -r; i <= r; ++i) {
            const uint32_t p = px(i);
            for (int c = 0; c < 4; ++c)
                sum[c] += int((p >> (c * 8)) & 0xff);
        }
        for (int i = 0; i < length; ++i) {
            uint32_t out = 0;
            for (int c = 0; c < 4; ++c)
                out |= uint32_t((sum[c] + window / 2) / window) << (c * 8);
            at(i) = out;
            const uint32_t add = px(i + r + 1), sub = px(i - r);
            for (int c = 0; c < 4; ++c)
                sum[c] += int((add >> (c * 8)) & 0xff) - int((sub >> (c * 8)) & 0xff);
        }
    }
}

}  // namespace

void gaussianBlur(QImage &image, double sigma)
{
    if (sigma < 0.1 || image.isNull())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Three boxes whose variances add up to sigma² (the usual ideal-width construction).
    const int n = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int wl = int(std::floor(ideal));
    if (wl % 2 == 0)
        --wl;
    const int wu = wl + 2;
    const int m = int(std::round((12 * sigma * sigma - n * wl * wl - 4 * n * wl - 3 * n) / (-4 * wl - 4)));
    for (int i = 0; i < n; ++i) {
        const int width = i < m ? wl : wu;
        const int r = (width - 1) / 2;
        boxPass(image, r, false);
        boxPass(image, r, true);
    }
}

void alphaThreshold(QImage &image, double min, double max, const QColor &color)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb solid = qPremultiply(color.rgba());
    const int lo = int(std::ceil(min * 255)), hi = int(std::floor(max * 255));
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(row[x]);
            row[x] = (a >= lo && a <= hi) ? solid : 0;
        }
    }
}

QRectF subtreeBounds(const Node &node)
{
    QRectF bounds(QPointF(0, 0), node.size());
    for (const auto &c : node.children()) {
        QRectF child = subtreeBounds(*c);
        const QRectF f = c->frame();
        child.translate(f.topLeft() + QPointF(c->value(Prop::offsetX, 0), c->value(Prop::offsetY, 0)));
        const double margin = 3 * c->value(Prop::blur, 0) + 2 * c->value(Prop::shadowRadius, 0)
                              + std::abs(c->value(Prop::shadowX, 0)) + std::abs(c->value(Prop::shadowY, 0));
        bounds = bounds.united(child.adjusted(-margin, -margin, margin, margin));
    }
    return bounds;
}

void paintLayer(PaintContext &ctx, const QRectF &bounds, double opacity,
                const std::function<void(PaintContext &)> &content,
                const std::function<void(QImage &, double)> &process)
{
    QPainter &painter = ctx.painter;
    const QTransform world = painter.worldTransform();
    QRectF device = world.mapRect(bounds);
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
    QImage layer(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter inner(&layer);
        inner.setRenderHints(painter.renderHints());
        inner.setWorldTransform(world * QTransform::fromTranslate(-pixels.x(), -pixels.y()));
        PaintContext innerCtx{inner, ctx.now, ctx.scale};
        content(innerCtx);
    }
    const double deviceScale = std::sqrt(std::abs(world.determinant()));
    if (process)
        process(layer, deviceScale);
    painter.save();
    painter.resetTransform();
    painter.setOpacity(painter.opacity() * std::clamp(opacity, 0.0, 1.0));
    painter.drawImage(pixels.topLeft(), layer);
    painter.restore();
}

void paintFaded(const Node &node, double opacity, double blur, PaintContext &ctx,
                const std::function<void(PaintContext &)> &paint)
{
    if (opacity <= 0.0005)
        return;
    if (blur < 0.05 && opacity >= 0.9995) {
        paint(ctx);
        return;
    }
    const double margin = 3 * blur;
    const QRectF bounds = subtreeBounds(node).adjusted(-margin, -margin, margin, margin);
    paintLayer(ctx, bounds, opacity, paint, [blur](QImage &image, double deviceScale) {
        if (blur >= 0.05)
            gaussianBlur(image, blur * deviceScale);
    });
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
