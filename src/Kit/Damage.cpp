// Which device pixels a frame must repaint: the old and new places of what changed or moved.
#include "Kit/Damage.h"

#include "Kit/Layers.h"
#include "Kit/EffectNodes.h"
#include "Kit/Modifiers.h"
#include "Kit/Node.h"
#include "Kit/Primitives.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace kit {

namespace {

constexpr double reachOfAll = 1e7;
const QRectF everywhere(-reachOfAll, -reachOfAll, 2 * reachOfAll, 2 * reachOfAll);

QRectF unite(const QRectF &a, const QRectF &b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return a.united(b);
}

QRectF grown(const QRectF &r, double by) { return r.isEmpty() ? r : r.adjusted(-by, -by, by, by); }

// `local` in device pixels; drawing that projects past the eye (or anywhere absurd) is unbounded.
QRectF onDevice(const QTransform &t, const QRectF &local)
{
    if (local.isEmpty())
        return {};
    const QRectF r = t.mapRect(local);
    if (!std::isfinite(r.x()) || !std::isfinite(r.y()) || !std::isfinite(r.width()) || !std::isfinite(r.height())
        || r.width() > reachOfAll || r.height() > reachOfAll)
        return everywhere;
    return r;
}

// The transition effect a node is drawn through now, if any (as PaintContext::paintChild does).
std::optional<TransitionEffect> shownTransition(const Node &node)
{
    if (!node.hasProp(Prop::appear))
        return std::nullopt;
    const double p = node.value(Prop::appear, 1);
    if (p >= 1 && !node.isLeaving())
        return std::nullopt;
    const Transition *t = transitionOf(node);
    const Transition fallback = Transition::opacity();
    if (!t)
        t = &fallback;
    return (node.isLeaving() ? t->removal : t->insertion).at(p);
}

// The descriptions the walk treats apart.
enum class Kind : uint8_t { other, clip, scale, rotation, shape, text, symbol, painter, blur, shadow, kept, opacity, mask, threshold };

Kind sort(const Spec &spec)
{
    if (dynamic_cast<const ClipSpec *>(&spec))
        return Kind::clip;
    if (dynamic_cast<const ScaleSpec *>(&spec))
        return Kind::scale;
    if (dynamic_cast<const Rotation3DSpec *>(&spec))
        return Kind::rotation;
    if (dynamic_cast<const ShapeSpec *>(&spec))
        return Kind::shape;
    if (dynamic_cast<const TextSpec *>(&spec))
        return Kind::text;
    if (dynamic_cast<const SymbolSpec *>(&spec))
        return Kind::symbol;
    if (dynamic_cast<const PainterSpec *>(&spec))
        return Kind::painter;
    if (dynamic_cast<const BlurSpec *>(&spec))
        return Kind::blur;
    if (dynamic_cast<const ShadowSpec *>(&spec))
        return Kind::shadow;
    if (dynamic_cast<const KeptSpec *>(&spec))
        return Kind::kept;
    if (dynamic_cast<const OpacitySpec *>(&spec))
        return Kind::opacity;
    if (dynamic_cast<const MaskSpec *>(&spec))
        return Kind::mask;
    if (dynamic_cast<const ThresholdSpec *>(&spec))
        return Kind::threshold;
    return Kind::other;
}

Kind kindOf(const Node &node)
{
    DrawnRecord &record = node.drawn;
    const std::type_info &type = typeid(node.spec());
    if (record.sortedType != &type) {
        record.sortedType = &type;
        record.sortedKind = uint8_t(sort(node.spec()));
    }
    return Kind(record.sortedKind);
}

template <typename S>
const S &specOf(const Node &node)
{
    return static_cast<const S &>(node.spec());
}

// How the node's children's coordinates map into its own as it paints them.
QTransform contentTransform(const Node &node)
{
    const Kind kind = kindOf(node);
    if (kind == Kind::scale)
        return specOf<ScaleSpec>(node).transform(node);
    if (kind == Kind::rotation)
        return specOf<Rotation3DSpec>(node).transform(node);
    // Offsets and a loop's run move the content.
    const double x = node.value(Prop::offsetX, 0), y = node.value(Prop::offsetY, 0);
    return x == 0 && y == 0 ? QTransform() : QTransform::fromTranslate(x, y);
}

// Where a leaf's ink may land, in its own coordinates: its frame and a margin for ink that strays
// (glyph overhangs, a stroke's outer half, a symbol's bounce and weight, content transitions).
QRectF leafInk(const Node &node)
{
    const Spec &spec = node.spec();
    if (spec.drawsNothing(node))
        return {};
    const QRectF rect(QPointF(0, 0), node.size());
    const bool switching = node.value(Prop::content, 1) < 1;
    const Kind kind = kindOf(node);
    if (kind == Kind::shape) {
        const auto *shape = &specOf<ShapeSpec>(node);
        const QRectF outline = shape->shape.path(rect, presentedData(node, shape->shape.data.size())).boundingRect();
        double margin = 1;
        if (shape->stroke)
            margin += shape->stroke->width / 2
                      * (shape->stroke->join == Qt::MiterJoin ? std::max(1.0, shape->stroke->miterLimit) : 1.0);
        return grown(unite(rect, outline), margin);
    }
    if (kind == Kind::text) {
        const double line = std::min(rect.height(), 60.0);
        const double margin = 2 + 0.25 * line;
        return rect.adjusted(-margin, -margin - (switching ? rect.height() : 0), margin,
                             margin + (switching ? rect.height() : 0));
    }
    if (kind == Kind::symbol) {
        const double margin = 2 + 0.3 * std::min(rect.width(), rect.height());
        return rect.adjusted(-margin, -margin - (switching ? rect.height() : 0), margin,
                             margin + (switching ? rect.height() : 0));
    }
    if (kind == Kind::painter)
        return everywhere;  // drawn by hand: it may draw anywhere
    return grown(rect, 1);
}

// Whether the node is drawn through an offscreen layer now (a blur, shadow, mask, threshold, kept
// picture or group opacity): the conditions under which each effect's paint makes one.
bool drawsThroughLayer(const Node &node)
{
    switch (kindOf(node)) {
    case Kind::blur:
        return node.value(Prop::blur, 0) >= 0.05 && !paintsNothing(node);
    case Kind::shadow:
        return node.value(Prop::shadowOpacity, specOf<ShadowSpec>(node).color.a) > 0.001 && !paintsNothing(node);
    case Kind::kept:
        return specOf<KeptSpec>(node).enabled;
    case Kind::opacity: {
        const double o = std::clamp(node.value(Prop::opacity, 1), 0.0, 1.0);
        return o > 0.0005 && o < 0.9995 && !drawsSinglePrimitive(node) && !paintsNothing(node);
    }
    case Kind::mask:
    case Kind::threshold:
        return true;
    default:
        return false;
    }
}

// Whether a transition effect draws the node through a layer (a fade or a blur).
bool layersTransition(const Node &node, const TransitionEffect &e)
{
    return e.opacity > 0.0005 && !paintsNothing(node) && (e.blur >= 0.05 || e.opacity < 0.9995);
}

// The node's drawing given its content's (`content`, device pixels), as its effect's paint makes
// it. A layer holds all that is drawn into it, so what is drawn through one covers the layer's
// rectangle (in the node's coordinates, mapped by `own`), with a blur's or shadow's reach and the
// stretch of a layer blurred at a reduced resolution.
QRectF withEffects(const Node &node, const QTransform &own, QRectF content, const std::optional<TransitionEffect> &shown)
{
    const Kind kind = kindOf(node);
    // A reduced layer is stretched back over whole reduced pixels, up to 8 device pixels.
    constexpr double stretch = 8;
    auto layer = [&](const QRectF &local, bool reduced) { return grown(onDevice(own, local), reduced ? stretch : 1); };
    if (drawsThroughLayer(node)) {
        if (kind == Kind::blur) {
            content = layer(grown(subtreeBounds(node), 3 * node.value(Prop::blur, 0)), true);
        } else if (kind == Kind::shadow) {
            const auto *shadow = &specOf<ShadowSpec>(node);
            // The content itself is drawn as usual over its shadow.
            const double r = std::max(0.0, node.value(Prop::shadowRadius, shadow->radius));
            const QPointF shift(node.value(Prop::shadowX, shadow->x), node.value(Prop::shadowY, shadow->y));
            content = unite(content, layer(grown(subtreeBounds(node).translated(shift), 3 * r), true));
        } else if (kind == Kind::threshold) {
            content = layer(grown(subtreeBounds(node), 40), false);
        } else if (kind == Kind::kept) {
            // Drawn as usual until it has held still, then through its picture.
            content = unite(content, layer(subtreeBounds(node), false));
        } else {
            content = layer(subtreeBounds(node), false);  // a mask, a group opacity
        }
    }
    if (shown && layersTransition(node, *shown))
        content = layer(grown(subtreeBounds(node), 3 * shown->blur), shown->blur >= 0.05);
    return content;
}

// Whether damage reaching into a layered node must cover all of it. A blur's or shadow's layer
// cut short by the clip would start elsewhere (its reduced pixels and edges shift), and a kept
// picture cut short would be drawn again at every frame. Work pixel by pixel (a mask, a
// threshold, a group opacity) gives the same pixels in any part of its layer.
bool madeWhole(const Node &node)
{
    const Kind kind = kindOf(node);
    return kind == Kind::blur || kind == Kind::shadow || kind == Kind::kept;
}

class Walk {
public:
    Walk(uint64_t since, bool commit) : since_(since), commit_(commit) {}

    struct Seen {
        QRectF device;
        bool changed = false;  // something in the subtree changed or moves
        bool still = false;    // as DrawnRecord::still, now
    };

    // `clip`: the device rectangle the clips around the node leave (everywhere when none);
    // `shows`: nothing around it fades it out or hides it.
    Seen visit(const Node &node, const QTransform &parent, bool ancestorDirty, const QRectF &clip, bool shows)
    {
        DrawnRecord &record = node.drawn;
        // A still subtree in which nothing changed since covers what it covered, and adds no damage
        // and no layer: the full walk below would find every node in it unchanged.
        if (!ancestorDirty && record.known && record.still && node.subtreeChangedAt() <= since_)
            return {record.device, false, true};
        const bool moving = node.isAnimating();
        const bool dirty = !record.known || record.moving || moving || node.changedAt() > since_;
        const bool fresh = dirty || ancestorDirty;

        const QRectF f = node.frame();
        QTransform own = QTransform::fromTranslate(f.x(), f.y()) * parent;
        const std::optional<TransitionEffect> shown = shownTransition(node);
        if (shown) {
            const QPointF a = shown->anchor.in(QRectF(QPointF(0, 0), f.size()));
            own = QTransform::fromTranslate(-a.x(), -a.y()) * QTransform::fromScale(shown->scale, shown->scale)
                  * QTransform::fromTranslate(a.x(), a.y()) * QTransform::fromTranslate(shown->offsetX, shown->offsetY)
                  * own;
        }
        // What is faded out or hidden draws nothing, whatever moves inside.
        shows = shows && !node.spec().drawsNothing(node) && !(shown && shown->opacity <= 0.0005);
        if (!shows && record.known && record.hidden) {
            // Hidden now and at the last paint, when all of it was found to draw nothing: so it
            // is still, and adds nothing (a page faded out while its bars loop is not walked).
            return {QRectF(), !(record.still && node.subtreeChangedAt() <= since_), false};
        }
        const QTransform inner = contentTransform(node) * own;
        const QRectF within = kindOf(node) == Kind::clip
                                  ? clip.intersected(onDevice(own, grown(QRectF(QPointF(0, 0), f.size()), 1)))
                                  : clip;

        QRectF device;
        bool changed = dirty;
        bool still = !node.hasLoops();
        for (const auto &c : node.children()) {
            const Seen seen = visit(*c, inner, fresh, within, shows);
            device = unite(device, seen.device);
            changed = changed || seen.changed;
            still = still && seen.still;
        }
        const bool layered = shows && drawsThroughLayer(node);
        if (!changed && !ancestorDirty) {
            // Nothing here changed: it covers what it covered.
            if (layered && madeWhole(node)) {
                layers_.push_back(wholeLayer(node, own, shown));
                still = false;
            }
            if (commit_)
                record.still = still;
            return {record.device, false, still};
        }
        if (shows) {
            if (node.children().empty())
                device = grown(onDevice(own, leafInk(node)), 1);
            device = withEffects(node, own, device, shown);
            if ((layered && madeWhole(node)) || (shown && layersTransition(node, *shown) && shown->blur >= 0.05))
                layers_.push_back(wholeLayer(node, own, shown));
            device = device.intersected(clip);
        } else {
            device = QRectF();
        }
        // A blur or shadow spreads what changes inside it (a halo, the shadow of what moved): all
        // of it is repainted, where it was and where it is.
        const bool spreads = layered && (kindOf(node) == Kind::blur || kindOf(node) == Kind::shadow);
        if ((dirty || spreads) && !ancestorDirty)
            add(record.known ? unite(record.device, device) : device);
        if (commit_) {
            record.known = true;
            record.moving = moving;
            record.device = device;
            record.still = false;
            record.hidden = !shows;
        }
        return {device, changed, false};
    }

    // The damage cut to `target`, grown until it covers every layer it reaches into.
    QRegion finish(const QRect &target)
    {
        if (everywhere_)
            return QRegion(target);
        QRegion damage = QRegion(target) & damage_;
        for (bool grew = true; grew;) {
            grew = false;
            for (const QRectF &layer : layers_) {
                const QRect r = pixels(layer) & target;
                if (r.isEmpty() || !damage.intersects(r) || (QRegion(r) - damage).isEmpty())
                    continue;
                damage += r;
                grew = true;
            }
        }
        return damage;
    }

private:
    // The rectangle to make whole where damage reaches into a layered node: its layer's, clips
    // around it ignored, so that the layer is made as far as a full repaint makes it (its origin,
    // and so its reduced pixels, the same). A shadow's content and a kept subtree not yet kept are
    // drawn as usual, pixel for pixel, outside it.
    static QRectF wholeLayer(const Node &node, const QTransform &own, const std::optional<TransitionEffect> &shown)
    {
        return withEffects(node, own, QRectF(), shown);
    }

    static QRect pixels(const QRectF &device) { return device.toAlignedRect().adjusted(-1, -1, 1, 1); }

    void add(const QRectF &device)
    {
        if (device.isEmpty())
            return;
        if (isUnbounded(device))
            everywhere_ = true;
        else if (!everywhere_)
            damage_ += pixels(device);
    }

    uint64_t since_;
    bool commit_;
    QRegion damage_;
    bool everywhere_ = false;
    std::vector<QRectF> layers_;
};

}  // namespace

bool isUnbounded(const QRectF &device) { return device.width() >= reachOfAll || device.height() >= reachOfAll; }

QRegion collectDamage(const Node &root, double scale, QRect target, uint64_t since, bool commit)
{
    Walk walk(since, commit);
    walk.visit(root, QTransform::fromScale(scale, scale), false, everywhere, true);
    return walk.finish(target);
}

void beginRepaint(QPainter &painter, const QRegion &clip, const QRegion &cleared)
{
    painter.setClipRegion(clip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect &r : cleared)
        painter.fillRect(r, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

bool touchesDamage(const Node &node, const QRegion &damage)
{
    const QRectF &device = node.drawn.device;
    if (!node.drawn.known || isUnbounded(device))
        return true;
    if (device.isEmpty())
        return false;
    return damage.intersects(device.toAlignedRect().adjusted(-1, -1, 1, 1));
}

}  // namespace kit
