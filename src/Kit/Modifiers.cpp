#include "Kit/Modifiers.h"

#include <algorithm>

#include "Kit/Layers.h"
#include "Kit/Layout.h"
#include "Kit/Tree.h"

#include <cxxabi.h>

#include <cstdlib>

namespace kit {

QString demangledTypeName(const std::type_info &type)
{
    int status = 0;
    char *name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const QString out = QString::fromLatin1(status == 0 && name ? name : type.name());
    std::free(name);
    return out;
}

// ---- Element ------------------------------------------------------------------------------------

namespace {
const std::shared_ptr<const Spec> &emptySpec()
{
    static const std::shared_ptr<const Spec> spec = std::make_shared<const EmptySpec>();
    return spec;
}

template <typename S, typename... A>
Element make(A &&...args)
{
    return Element(std::make_shared<const S>(std::forward<A>(args)...));
}
}  // namespace

Element::Element() : spec_(emptySpec()) {}

bool Element::isEmpty() const { return spec_->isEmptyKind(); }

Element Element::frame(std::optional<double> width, std::optional<double> height, Alignment alignment) const
{
    return make<FrameSpec>(*this, width, height, alignment);
}

Element Element::frame(const Limits &limits) const { return make<FlexFrameSpec>(*this, limits); }

Element Element::maxFrame(Alignment alignment) const
{
    Limits l;
    l.maxWidth = infinity;
    l.maxHeight = infinity;
    l.alignment = alignment;
    return frame(l);
}

Element Element::padding(const Edges &edges) const { return make<PaddingSpec>(*this, edges); }
Element Element::offset(double x, double y) const { return make<OffsetSpec>(*this, x, y); }

Element Element::overlay(Element decoration, Alignment alignment) const
{
    return make<OverlaySpec>(*this, std::move(decoration), alignment, false);
}

Element Element::background(Element decoration, Alignment alignment) const
{
    return make<OverlaySpec>(*this, std::move(decoration), alignment, true);
}

Element Element::alignmentGuide(HAlign which, std::function<double(QSizeF)> guide) const
{
    return make<AlignmentGuideSpec>(*this, which, std::nullopt, std::move(guide));
}

Element Element::alignmentGuide(VAlign which, std::function<double(QSizeF)> guide) const
{
    return make<AlignmentGuideSpec>(*this, std::nullopt, which, std::move(guide));
}

Element Element::fixedSize(bool horizontal, bool vertical) const { return make<FixedSizeSpec>(*this, horizontal, vertical); }

namespace {
class PrioritySpec final : public Spec {
public:
    PrioritySpec(Element child, double p) : value(p) { children = {std::move(child)}; }
    const char *kind() const override { return "LayoutPriority"; }
    bool sameProperties(const Spec &other) const override { return value == static_cast<const PrioritySpec &>(other).value; }
    double priority() const override { return value; }
    bool isTransparent() const override { return true; }
    double value;
};
}  // namespace

Element Element::layoutPriority(double priority) const { return make<PrioritySpec>(*this, priority); }
Element Element::withBounce(AnyValue trigger, bool downward) const
{
    // Squeeze, overshoot, settle: about half a second in all.
    const KeyframeTrack track(1, {{downward ? 0.82 : 1.18, 0.12, Animation::easeOut(0)},
                                  {1.0, 0.38, Animation::springDuration(0.38, 0.35)}});
    const Element content = *this;
    return KeyframeAnimator(std::move(trigger), track, [content](double s) { return content.scaleEffect(s); });
}

Element Element::withId(AnyValue id) const { return make<IdSpec>(*this, std::move(id)); }

Element Element::font(const Font &font) const { return withEnvironment(&env::font, AnyValue::of(font)); }
Element Element::foreground(const Color &color) const { return withEnvironment(&env::foreground, AnyValue::of(color)); }

Element Element::minimumScaleFactor(double factor) const
{
    return withEnvironment(&env::minimumScaleFactor, AnyValue::of(std::clamp(factor, 0.01, 1.0)));
}

Element Element::lineLimit(std::optional<int> lines) const
{
    if (lines)
        lines = std::max(1, *lines);
    return withEnvironment(&env::lineLimit, AnyValue::of(lines));
}

Element Element::withEnvironment(const void *key, AnyValue value) const
{
    return make<EnvironmentSpec>(*this, key, std::move(value));
}

Element Element::withImplicitAnimation(std::optional<Animation> animation, AnyValue value) const
{
    return make<ImplicitAnimationSpec>(*this, animation, std::move(value));
}

Element Element::animated(std::optional<Animation> animation) const
{
    if (auto copy = spec_->withOwnAnimation(animation))
        return Element(std::move(copy));
    // A modifier without properties of its own: the curve applies to everything inside it.
    return transaction([animation](Transaction &t) {
        if (!t.disablesAnimations)
            t.animation = animation;
    });
}

Element Element::transaction(std::function<void(Transaction &)> edit) const
{
    return make<TransactionSpec>(*this, std::move(edit));
}

Element Element::clipShape(AnyShape shape) const { return make<ClipSpec>(*this, std::move(shape)); }
Element Element::opacity(double opacity) const { return make<OpacitySpec>(*this, opacity); }
Element Element::hidden(bool hidden) const { return make<HiddenSpec>(*this, hidden); }
Element Element::onSizeChange(std::function<void(QSizeF)> fn) const { return make<SizeChangeSpec>(*this, std::move(fn)); }
Element Animatable(double value, std::function<Element(double presented)> content)
{
    return make<AnimatableSpec>(value, std::move(content));
}
Element Element::transition(const Transition &transition) const { return make<TransitionSpec>(*this, transition); }

Element Empty() { return Element(); }
Element Spacer(double minLength) { return make<SpacerSpec>(minLength); }
Element ZStack(const StackOptions &options, Elements children) { return make<StackSpec>(Axis::z, options, std::move(children)); }
Element HStack(const StackOptions &options, Elements children)
{
    return make<StackSpec>(Axis::horizontal, options, std::move(children));
}
Element VStack(const StackOptions &options, Elements children)
{
    return make<StackSpec>(Axis::vertical, options, std::move(children));
}
Element GeometryReader(std::function<Element(QSizeF)> content) { return make<GeometryReaderSpec>(std::move(content)); }
Element Observe(std::function<Element(const Env &)> body) { return make<ObserveSpec>(std::move(body)); }
Element KeyframeAnimator(AnyValue trigger, KeyframeTrack track, std::function<Element(double)> content)
{
    return make<KeyframeSpec>(std::move(trigger), std::move(track), std::move(content));
}

// ---- Specs --------------------------------------------------------------------------------------

void EnvironmentSpec::apply(Node &, const Spec *previous, ReconcileContext &ctx) const
{
    // Everything inside may read the value: views below evaluate again when it changed.
    if (previous && !sameProperties(*previous))
        ctx.forceEvaluate = true;
}

void ImplicitAnimationSpec::apply(Node &node, const Spec *previous, ReconcileContext &ctx) const
{
    if (!previous)
        return;
    const auto &old = static_cast<const ImplicitAnimationSpec &>(*previous);
    if (old.value == value)
        return;
    // The watched value changed: this animation governs the change inside, over any outer one.
    if (!ctx.transaction.disablesAnimations)
        ctx.transaction.animation = animation;
    ctx.tree.markAnimationFired(node, ctx.transaction);
}

namespace {
struct KeyframeState {
    std::optional<double> start;  // when the track last began
};
}  // namespace

void KeyframeSpec::apply(Node &node, const Spec *previous, ReconcileContext &ctx) const
{
    if (!node.state.has_value())
        node.state = KeyframeState{};
    if (!previous)
        return;
    if (static_cast<const KeyframeSpec &>(*previous).trigger == trigger)
        return;
    std::any_cast<KeyframeState &>(node.state).start = ctx.now;
    ctx.tree.runEveryFrame(node);
}

Element KeyframeSpec::evaluateAt(const Node &node, const Env &) const
{
    const auto *state = std::any_cast<KeyframeState>(&node.state);
    if (!state || !state->start)
        return content(track.initial());
    return content(track.value(node.tree().now() - *state->start));
}

bool KeyframeSpec::wantsFrames(const Node &node, double now) const
{
    const auto *state = std::any_cast<KeyframeState>(&node.state);
    return state && state->start && now - *state->start < track.duration();
}

void OffsetSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const
{
    node.setProp(Prop::offsetX, x, ctx, own);
    node.setProp(Prop::offsetY, y, ctx, own);
}

void OffsetSpec::paint(const Node &node, PaintContext &ctx) const
{
    ctx.painter.translate(node.value(Prop::offsetX, 0), node.value(Prop::offsetY, 0));
    ctx.paintChildren(node);
}

void OffsetSpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" offset=(%1,%2)").arg(node.value(Prop::offsetX, 0)).arg(node.value(Prop::offsetY, 0));
}

std::shared_ptr<Spec> OffsetSpec::withOwnAnimation(std::optional<Animation> animation) const
{
    auto copy = std::make_shared<OffsetSpec>(*this);
    copy->own = animation;
    return copy;
}

void OpacitySpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const
{
    node.setProp(Prop::opacity, opacity, ctx, own);
}

bool drawsSinglePrimitive(const Node &node)
{
    const Node *n = &node;
    for (;; n = n->children().front().get()) {
        if (n->spec().overlapsItself(*n))
            return false;
        if (n->children().size() != 1)
            return n->children().empty();
    }
}

void OpacitySpec::paint(const Node &node, PaintContext &ctx) const
{
    const double o = std::clamp(node.value(Prop::opacity, 1), 0.0, 1.0);
    if (o <= 0.0005) {
        node.layerCache.reset();
        return;
    }
    if (o < 1 && drawsSinglePrimitive(node)) {
        ctx.painter.setOpacity(ctx.painter.opacity() * o);
        ctx.paintChildren(node);
        return;
    }
    paintFaded(node, o, 0, ctx, [&node](PaintContext &c) { c.paintChildren(node); }, true);
}

bool OpacitySpec::drawsNothing(const Node &node) const { return node.value(Prop::opacity, 1) <= 0.0005; }

void OpacitySpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" opacity=") + QString::number(std::round(node.value(Prop::opacity, 1) * 1000) / 1000);
}

std::vector<double> presentedData(const Node &node, size_t count)
{
    std::vector<double> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = node.value(dataProp(int(i)), 0);
    return out;
}

void applyShapeData(Node &node, const std::vector<double> &data, const ReconcileContext &ctx,
                    const std::optional<std::optional<Animation>> &own)
{
    for (size_t i = 0; i < data.size(); ++i)
        node.setProp(dataProp(int(i)), data[i], ctx, own);
}

void ClipSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const { applyShapeData(node, shape.data, ctx); }

void ClipSpec::paint(const Node &node, PaintContext &ctx) const
{
    const QPainterPath path = shape.path(QRectF(QPointF(0, 0), node.size()), presentedData(node, shape.data.size()));
    // Making a clip of a curved path costs more than the little a frame often repaints inside it.
    if (!ctx.damageLiesInside(path))
        ctx.painter.setClipPath(path, Qt::IntersectClip);
    ctx.paintChildren(node);
}

void ClipSpec::describe(const Node &, QString &out) const { out += QStringLiteral(" shape=") + shape.name; }

void OverlaySpec::paint(const Node &node, PaintContext &ctx) const
{
    if (!isBackground) {
        ctx.paintChildren(node);
        return;
    }
    // Decorations first, content last.
    Node *content = node.firstLiveChild();
    for (const auto &c : node.children())
        if (c.get() != content)
            ctx.paintChild(*c);
    if (content)
        ctx.paintChild(*content);
}

void HiddenSpec::paint(const Node &node, PaintContext &ctx) const
{
    if (!hidden)
        ctx.paintChildren(node);
}

void HiddenSpec::describe(const Node &, QString &out) const
{
    if (hidden)
        out += QStringLiteral(" hidden");
}

namespace {
struct SizeChangeState {
    std::optional<QSizeF> reported;
    std::function<void(QSizeF)> fn;
};
}  // namespace

void SizeChangeSpec::apply(Node &node, const Spec *, ReconcileContext &) const
{
    // The newest closure reports; the size last reported stays with the node.
    auto *state = std::any_cast<std::shared_ptr<SizeChangeState>>(&node.state);
    if (!state) {
        node.state = std::make_shared<SizeChangeState>();
        state = std::any_cast<std::shared_ptr<SizeChangeState>>(&node.state);
    }
    (*state)->fn = fn;
}

void SizeChangeSpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    Spec::placeChildren(node, size, ctx);
    const auto state = std::any_cast<std::shared_ptr<SizeChangeState>>(node.state);
    if (state->reported == size)
        return;
    state->reported = size;
    // After the whole update: the handler may change models, which must not re-enter layout.
    std::weak_ptr<SizeChangeState> weak = state;
    ctx.tree.afterCommit([weak, size] {
        if (const auto s = weak.lock(); s && s->fn && s->reported == size)
            s->fn(size);
    });
}

void AnimatableSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const
{
    node.setProp(Prop::data0, value, ctx);
    if (node.isAnimating())
        ctx.tree.runEveryFrame(node);
}

Element AnimatableSpec::evaluateAt(const Node &node, const Env &) const
{
    return content(node.value(Prop::data0, value));
}

bool AnimatableSpec::wantsFrames(const Node &node, double) const { return node.isAnimating(); }

void AnimatableSpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" value=") + QString::number(std::round(node.value(Prop::data0, value) * 1000) / 1000);
}

}  // namespace kit
