// Loops: node values that move for ever with the clock, drawn on every frame without evaluating
// any view.
#include "Kit/Loop.h"

#include "Kit/Animator.h"
#include "Kit/Layers.h"
#include "Kit/Modifiers.h"
#include "Kit/Tree.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace kit {

double Loop::value(double now) const
{
    const double t = now - phase_;
    if (isTrack_) {
        const double d = track_.duration();
        if (t <= 0 || d <= 0)
            return track_.initial();
        return track_.value(std::fmod(t, d));
    }
    if (t <= 0 || period_ <= 0)
        return from_;
    const double runs = t / period_;
    const double run = std::floor(runs);
    double fraction = runs - run;
    if (autoreverses_ && std::fmod(run, 2.0) == 1.0)
        fraction = 1 - fraction;
    return from_ + (to_ - from_) * TimingCurve::of(curve_).valueAt(fraction);
}

double Loop::cycle() const
{
    if (isTrack_)
        return track_.duration();
    return autoreverses_ ? 2 * period_ : period_;
}

namespace {

// The node whose values the content loops drive: the end of the chain of single children below
// (the shape, painter or image that frames and paddings wrap), or the first container on it.
Node *contentOf(Node &node)
{
    Node *n = node.firstLiveChild();
    while (n && n->children().size() == 1)
        n = n->firstLiveChild();
    return n;
}

const char *targetName(LoopTarget::Kind kind)
{
    switch (kind) {
    case LoopTarget::Kind::width: return "width";
    case LoopTarget::Kind::height: return "height";
    case LoopTarget::Kind::offsetX: return "offsetX";
    case LoopTarget::Kind::offsetY: return "offsetY";
    case LoopTarget::Kind::opacity: return "opacity";
    case LoopTarget::Kind::value: return "value";
    case LoopTarget::Kind::stopColor: return "stopColor";
    }
    return "";
}

}  // namespace

// Offsets and opacity are drawn by this node; sizes, painter values and gradient stops are handed
// to the content node, which presents them itself.
class LoopSpec final : public Spec {
public:
    LoopSpec(Element child, LoopBindings bindings)
    {
        children = {std::move(child)};
        for (LoopBinding &b : bindings)
            (b.target.isContentValue() ? content : own).push_back(std::move(b));
        if (!own.empty())
            ownShared = std::make_shared<const LoopBindings>(own);
        if (!content.empty())
            contentShared = std::make_shared<const LoopBindings>(content);
        // The node asks for frames as often as the most demanding of its loops.
        for (const LoopBinding &b : bindings)
            frameInterval = std::min(frameInterval, b.loop.frameInterval() > 0 ? b.loop.frameInterval() : FrameDriver::loopInterval);
    }
    const char *kind() const override { return "Loop"; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const LoopSpec &>(other);
        return own == o.own && content == o.content;
    }
    void apply(Node &node, const Spec *, ReconcileContext &ctx) const override
    {
        node.setLoops(ownShared);
        ctx.tree.noteLooping(node, ownShared || contentShared, frameInterval);
    }
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override
    {
        Spec::placeChildren(node, size, ctx);
        if (Node *target = contentOf(node))
            target->setLoops(contentShared);
    }
    void paint(const Node &node, PaintContext &ctx) const override
    {
        ctx.painter.translate(node.value(Prop::offsetX, 0), node.value(Prop::offsetY, 0));
        const double o = std::clamp(node.value(Prop::opacity, 1), 0.0, 1.0);
        if (o >= 1) {
            ctx.paintChildren(node);
        } else if (o <= 0.0005) {
            return;
        } else if (drawsSinglePrimitive(node)) {
            // One primitive cannot overlap itself: the opacity goes straight to the painter.
            ctx.painter.setOpacity(ctx.painter.opacity() * o);
            ctx.paintChildren(node);
        } else {
            paintFaded(node, o, 0, ctx, [&node](PaintContext &c) { c.paintChildren(node); });
        }
    }
    QPointF toChildCoordinates(const Node &node, QPointF p) const override
    {
        return p - QPointF(node.value(Prop::offsetX, 0), node.value(Prop::offsetY, 0));
    }
    void describe(const Node &node, QString &out) const override
    {
        QStringList names;
        for (const LoopBindings *list : {&own, &content})
            for (const LoopBinding &b : *list)
                names << QString::fromLatin1(targetName(b.target.kind))
                             + (b.target.kind == LoopTarget::Kind::value || b.target.kind == LoopTarget::Kind::stopColor
                                    ? QString::number(b.target.index)
                                    : QString());
        if (!names.isEmpty())
            out += QStringLiteral(" loops=") + names.join(u',') + (node.tree().isShown() ? QString() : QStringLiteral(" stopped"));
    }

    LoopBindings own, content;
    std::shared_ptr<const LoopBindings> ownShared, contentShared;
    double frameInterval = std::numeric_limits<double>::infinity();  // unused without bindings
};

Element Element::loops(LoopBindings bindings) const
{
    return Element(std::make_shared<const LoopSpec>(*this, std::move(bindings)));
}

Element Element::loop(LoopTarget target, std::optional<Loop> loop) const
{
    LoopBindings bindings;
    if (loop)
        bindings.push_back({target, *loop});
    return loops(std::move(bindings));
}

std::optional<double> loopedValue(const LoopBindings &bindings, Prop prop, double now)
{
    LoopTarget::Kind kind;
    int index = 0;
    switch (prop) {
    case Prop::width: kind = LoopTarget::Kind::width; break;
    case Prop::height: kind = LoopTarget::Kind::height; break;
    case Prop::offsetX: kind = LoopTarget::Kind::offsetX; break;
    case Prop::offsetY: kind = LoopTarget::Kind::offsetY; break;
    case Prop::opacity: kind = LoopTarget::Kind::opacity; break;
    default:
        if (int(prop) < int(Prop::data0))
            return std::nullopt;
        kind = LoopTarget::Kind::value;
        index = int(prop) - int(Prop::data0);
    }
    for (const LoopBinding &b : bindings)
        if (b.target.kind == kind && b.target.index == index)
            return b.loop.value(now);
    return std::nullopt;
}

LinearGradient loopedGradient(const LinearGradient &gradient, const LoopBindings &bindings, double now)
{
    LinearGradient out = gradient;
    for (const LoopBinding &b : bindings) {
        if (b.target.kind != LoopTarget::Kind::stopColor || b.target.index < 0
            || b.target.index >= int(out.stops.size()))
            continue;
        const double t = b.loop.value(now);
        const Color &f = b.target.from, &g = b.target.to;
        out.stops[size_t(b.target.index)].color = {f.r + (g.r - f.r) * t, f.g + (g.g - f.g) * t,
                                                    f.b + (g.b - f.b) * t, f.a + (g.a - f.a) * t};
    }
    return out;
}

}  // namespace kit
