#include "Kit/EffectNodes.h"

#include "Kit/Blur.h"
#include "Kit/Layers.h"
#include "Kit/Layout.h"
#include "Kit/Modifiers.h"
#include "Kit/Tree.h"
#include "Kit/ViewState.h"

#include <QPainter>
#include <QRegion>

#include <cmath>
#include <vector>

namespace kit {

namespace {

template <typename S, typename... A>
Element make(A &&...args)
{
    return Element(std::make_shared<const S>(std::forward<A>(args)...));
}

QString num(double v) { return QString::number(std::round(v * 100) / 100); }

}  // namespace

// ---- Blur ---------------------------------------------------------------------------------------

bool BlurSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const BlurSpec &>(other);
    return radius == o.radius && own == o.own;
}

void BlurSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const
{
    node.setProp(Prop::blur, std::max(0.0, radius), ctx, own);
}

void BlurSpec::paint(const Node &node, PaintContext &ctx) const
{
    const double r = std::max(0.0, node.value(Prop::blur, 0));
    // Blurring is linear, so a fade right inside the blur (past offsets only) fades the blurred
    // layer alike: it is applied as that layer is composited instead of in a layer of its own.
    QPointF shift;
    for (const Node *n = &node; r >= 0.05 && n->children().size() == 1;) {
        n = n->children().front().get();
        if (n->hasProp(Prop::appear))
            break;
        shift += n->frame().topLeft();
        if (dynamic_cast<const OffsetSpec *>(&n->spec())) {
            shift += QPointF(n->value(Prop::offsetX, 0), n->value(Prop::offsetY, 0));
            continue;
        }
        if (dynamic_cast<const OpacitySpec *>(&n->spec())) {
            n->layerCache.reset();
            const double fade = std::clamp(n->value(Prop::opacity, 1), 0.0, 1.0);
            paintFaded(node, fade, r, ctx, [n, shift](PaintContext &c) {
                c.painter.translate(shift);
                c.paintChildren(*n);
            }, true);
            return;
        }
        break;
    }
    paintFaded(node, 1, r, ctx, [&node](PaintContext &c) { c.paintChildren(node); }, true);
}

void BlurSpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" blur=") + num(std::max(0.0, node.value(Prop::blur, 0)));
}

// ---- Shadow -------------------------------------------------------------------------------------

bool ShadowSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const ShadowSpec &>(other);
    return color == o.color && radius == o.radius && x == o.x && y == o.y && own == o.own;
}

void ShadowSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const
{
    node.setProp(Prop::shadowRadius, radius, ctx, own);
    node.setProp(Prop::shadowX, x, ctx, own);
    node.setProp(Prop::shadowY, y, ctx, own);
    node.setProp(Prop::shadowOpacity, color.a, ctx, own);
}

void ShadowSpec::paint(const Node &node, PaintContext &ctx) const
{
    if (paintsNothing(node))
        return;
    const double alpha = std::clamp(node.value(Prop::shadowOpacity, color.a), 0.0, 1.0);
    if (alpha <= 0.001) {
        ctx.paintChildren(node);
        return;
    }
    const double r = std::max(0.0, node.value(Prop::shadowRadius, radius));
    const QPointF shift(node.value(Prop::shadowX, x), node.value(Prop::shadowY, y));
    const QRectF bounds = subtreeBounds(node).translated(shift).adjusted(-3 * r, -3 * r, 3 * r, 3 * r);
    const QColor tint = Color{color.r, color.g, color.b, alpha}.toQColor();
    // While nothing inside changes or moves, the shadow drawn last time is still right.
    struct Cache {
        uint64_t version = 0;
        QTransform world;
        double r = -1, alpha = -1;
        QPointF shift;
        QRectF target;
        QImage picture;
    };
    const auto cache = sharedViewState<Cache>(node);
    const QTransform world = ctx.painter.worldTransform();
    if (!cache->picture.isNull() && cache->world == world && cache->r == r && cache->alpha == alpha
        && cache->shift == shift && subtreeSettledSince(node, cache->version)) {
        // Kept at device resolution, stretched as its first frame was, so showing it again is a
        // plain copy of the same pixels.
        if (cache->picture.size() != cache->target.size().toSize())
            cache->picture = enlarged(cache->picture, cache->target.size().toSize());
        ctx.painter.save();
        ctx.painter.resetTransform();
        ctx.painter.drawImage(cache->target.topLeft(), cache->picture);
        ctx.painter.restore();
        ctx.paintChildren(node);
        return;
    }
    // The shadow is the content's alpha in the shadow colour, shifted and blurred, drawn under the
    // content. Only its silhouette matters, so it is drawn at a resolution the blur allows; the
    // content itself is then painted as usual on top.
    const double sigma = r * std::sqrt(std::abs(world.determinant()));
    const int reduction = blurReduction(sigma);
    cache->picture = QImage();
    const auto drawShifted = [&](PaintContext &c) {
        c.painter.translate(shift);
        c.paintChildren(node);
    };
    const auto tintAndBlur = [&](QImage &layer, double deviceScale) {
        {
            QPainter p(&layer);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(layer.rect(), tint);
        }
        gaussianBlur(layer, r * deviceScale);
        cache->picture = layer;
    };
    paintLayer(ctx, {.bounds = bounds,
                     .content = drawShifted,
                     .process = tintAndBlur,
                     .reduction = reduction,
                     .drawnAt = &cache->target,
                     .reach = 3 * sigma});
    cache->version = node.tree().changeStamp();
    cache->world = world;
    cache->r = r;
    cache->alpha = alpha;
    cache->shift = shift;
    ctx.paintChildren(node);
}

void ShadowSpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" shadow=(r%1 %2,%3 a%4)")
               .arg(num(node.value(Prop::shadowRadius, radius)), num(node.value(Prop::shadowX, x)),
                    num(node.value(Prop::shadowY, y)), num(node.value(Prop::shadowOpacity, color.a)));
}

// ---- Scale --------------------------------------------------------------------------------------

bool ScaleSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const ScaleSpec &>(other);
    return sx == o.sx && sy == o.sy && anchor == o.anchor && own == o.own;
}

void ScaleSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const
{
    node.setProp(Prop::scaleX, sx, ctx, own);
    node.setProp(Prop::scaleY, sy, ctx, own);
}

QTransform ScaleSpec::transform(const Node &node) const
{
    const QPointF a = anchor.in(QRectF(QPointF(0, 0), node.size()));
    return QTransform::fromTranslate(-a.x(), -a.y())
           * QTransform::fromScale(node.value(Prop::scaleX, sx), node.value(Prop::scaleY, sy))
           * QTransform::fromTranslate(a.x(), a.y());
}

void ScaleSpec::paint(const Node &node, PaintContext &ctx) const
{
    ctx.painter.setTransform(transform(node), true);
    ctx.paintChildren(node);
}

void ScaleSpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" scale=(%1,%2)").arg(num(node.value(Prop::scaleX, sx)), num(node.value(Prop::scaleY, sy)));
}

// ---- Rotation about the y axis ------------------------------------------------------------------

bool Rotation3DSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const Rotation3DSpec &>(other);
    return degrees == o.degrees && anchor == o.anchor && perspective == o.perspective && own == o.own;
}

void Rotation3DSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const
{
    node.setProp(Prop::rotationY, degrees, ctx, own);
}

QTransform Rotation3DSpec::transform(const Node &node) const
{
    const QRectF rect(QPointF(0, 0), node.size());
    const QPointF a = anchor.in(rect);
    // The eye sits twice the node's larger side away, divided by the perspective factor (0 is
    // treated as a flat projection from far away).
    const double distance = perspective > 1e-6 ? 2 * std::max(rect.width(), rect.height()) / perspective : 1e9;
    const double radians = node.value(Prop::rotationY, degrees) * M_PI / 180;
    const QTransform rotation(std::cos(radians), 0, -std::sin(radians) / std::max(1.0, distance), 0, 1, 0, 0, 0, 1);
    return QTransform::fromTranslate(-a.x(), -a.y()) * rotation * QTransform::fromTranslate(a.x(), a.y());
}

void Rotation3DSpec::paint(const Node &node, PaintContext &ctx) const
{
    // Seen edge-on the content has no area left to draw.
    const double angle = std::fmod(std::abs(node.value(Prop::rotationY, degrees)), 180.0);
    if (std::abs(angle - 90) < 0.01)
        return;
    ctx.painter.setTransform(transform(node), true);
    ctx.paintChildren(node);
}

void Rotation3DSpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" rotationY=") + num(node.value(Prop::rotationY, degrees));
}

// ---- Mask ---------------------------------------------------------------------------------------

QSizeF MaskSpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const
{
    return sizeOfContent(node, proposal, ctx);
}

void MaskSpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    placeOverContent(node, size, alignment, ctx);
}

namespace {

// The tiles of `layer` holding any coverage, joined along each row of tiles. Whatever lies outside
// them is transparent.
QRegion coveredTiles(const QImage &layer)
{
    QRegion region;
    for (const QRect &run : coveredRuns(layer, 0xff000000u))
        region += run;
    return region;
}

// Scales each pixel of `layer` in `rect` by the alpha of `mask` there (destination-in).
void keepUnderMask(QImage &layer, const QImage &mask, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto *d = reinterpret_cast<uint32_t *>(layer.scanLine(y));
        const auto *m = reinterpret_cast<const uint32_t *>(mask.constScanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const uint32_t a = m[x] >> 24;
            if (a == 255 || d[x] == 0)
                continue;
            uint32_t v = 0;
            for (int c = 0; c < 32; c += 8) {
                const uint32_t t = ((d[x] >> c) & 0xff) * a + 128;
                v |= ((t + (t >> 8)) >> 8) << c;
            }
            d[x] = v;
        }
    }
}

}  // namespace

void MaskSpec::paint(const Node &node, PaintContext &ctx) const
{
    Node *content = node.firstLiveChild();
    if (!content || paintsNothing(*content))
        return;
    std::vector<const Node *> masks;
    for (const auto &k : node.children())
        if (k.get() != content)
            masks.push_back(k.get());
    const QRectF bounds = subtreeBounds(node);
    QTransform layerWorld;
    QPainter::RenderHints hints;
    double layerScale = ctx.scale;
    const auto drawContent = [&](PaintContext &c) {
        c.paintChild(*content);
        layerWorld = c.painter.worldTransform();
        hints = c.painter.renderHints();
        layerScale = c.scale;
    };
    const auto applyMask = [&](QImage &layer, double) {
        if (masks.empty())
            return;
        // The mask only matters where the content drew: a thin stroke under a gradient mask
        // leaves most of the layer empty, so the mask is drawn and applied on those tiles.
        const QRegion covered = coveredTiles(layer);
        if (covered.isEmpty())
            return;
        std::vector<QRect> pieces(covered.begin(), covered.end());
        if (pieces.size() > 32)
            pieces = {covered.boundingRect()};
        // The mask's children are drawn source-over among themselves first, then cut the
        // content. Outside the pieces the mask is never read, so it is cleared only there.
        QImage mask(layer.size(), QImage::Format_ARGB32_Premultiplied);
        {
            QPainter mp(&mask);
            mp.setRenderHints(hints);
            PaintContext mc{mp, ctx.now, layerScale};
            for (const QRect &piece : pieces) {
                mp.resetTransform();
                mp.setClipRect(piece);
                mp.setCompositionMode(QPainter::CompositionMode_Source);
                mp.fillRect(piece, Qt::transparent);
                mp.setCompositionMode(QPainter::CompositionMode_SourceOver);
                mp.setWorldTransform(layerWorld);
                for (const Node *m : masks)
                    mc.paintChild(*m);
            }
        }
        for (const QRect &piece : pieces)
            keepUnderMask(layer, mask, piece);
    };
    paintLayer(ctx, {.bounds = bounds, .content = drawContent, .process = applyMask, .keeper = &node, .reach = 0});
}

// ---- Alpha threshold ----------------------------------------------------------------------------

bool ThresholdSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const ThresholdSpec &>(other);
    return min == o.min && max == o.max && color == o.color;
}

void ThresholdSpec::paint(const Node &node, PaintContext &ctx) const
{
    const double margin = 40;  // blurred content inside reaches beyond the node
    const QRectF bounds = subtreeBounds(node).adjusted(-margin, -margin, margin, margin);
    paintLayer(ctx, {.bounds = bounds,
                     .content = [&node](PaintContext &c) { c.paintChildren(node); },
                     .process = [this](QImage &layer, double) { alphaThreshold(layer, min, max, color.toQColor()); },
                     .keeper = &node,
                     .reach = 0});
}

void ThresholdSpec::describe(const Node &, QString &out) const
{
    out += QStringLiteral(" threshold=(%1,%2)").arg(num(min), num(max));
}

// ---- Kept ---------------------------------------------------------------------------------------

bool KeptSpec::sameProperties(const Spec &other) const { return enabled == static_cast<const KeptSpec &>(other).enabled; }

void KeptSpec::apply(Node &node, const Spec *, ReconcileContext &) const
{
    // A subtree no longer kept may not be drawn again for a long time (a hidden page): its picture
    // goes now rather than at its next frame.
    if (!enabled)
        node.layerCache.reset();
}

void KeptSpec::paint(const Node &node, PaintContext &ctx) const
{
    struct Seen {
        bool painted = false;
        uint64_t stamp = 0;
    };
    Seen &seen = viewState<Seen>(node);
    // Content that changed since the last frame may change again at the next: a picture of it is
    // made only once it has held still for a frame.
    const bool still = enabled && seen.painted && subtreeSettledSince(node, seen.stamp);
    seen.painted = true;
    seen.stamp = node.tree().changeStamp();
    if (!still) {
        node.layerCache.reset();
        ctx.paintChildren(node);
        return;
    }
    paintLayer(ctx, {.bounds = subtreeBounds(node),
                     .content = [&node](PaintContext &c) { c.paintChildren(node); },
                     .keeper = &node,
                     .reach = 0});
}

// ---- Element API --------------------------------------------------------------------------------

Element Element::blur(double radius) const { return make<BlurSpec>(*this, radius); }
Element Element::shadow(Color color, double radius, double x, double y) const
{
    return make<ShadowSpec>(*this, color, radius, x, y);
}
Element Element::scaleEffect(double s, UnitPoint anchor) const { return make<ScaleSpec>(*this, s, s, anchor); }
Element Element::scaleEffect(double sx, double sy, UnitPoint anchor) const { return make<ScaleSpec>(*this, sx, sy, anchor); }
Element Element::rotation3D(double degrees, UnitPoint anchor, double perspective) const
{
    return make<Rotation3DSpec>(*this, degrees, anchor, perspective);
}
Element Element::mask(Element mask, Alignment alignment) const { return make<MaskSpec>(*this, std::move(mask), alignment); }
Element Element::keptWhileStill(bool enabled) const { return make<KeptSpec>(*this, enabled); }

Element Element::alphaThreshold(double min, double max, Color color) const
{
    return make<ThresholdSpec>(*this, min, max, color);
}

Element Glass(AnyShape shape, Color fallback)
{
    // No compositor-backed glass material on this platform: the plain fill stands in for it.
    return Fill(std::move(shape), fallback).environment(env::glassUsed, false);
}

}  // namespace kit
