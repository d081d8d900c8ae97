#pragma once

#include "Kit/Element.h"
#include "Kit/Node.h"

namespace kit {

// Wrappers without a look of their own.

class EmptySpec final : public Spec {
public:
    const char *kind() const override { return "Empty"; }
    bool changesPainterState() const override { return false; }
    bool drawsNothing(const Node &) const override { return true; }
    bool sameProperties(const Spec &) const override { return true; }
    bool isEmptyKind() const override { return true; }
    QSizeF sizeThatFits(Node &, const Proposal &, LayoutContext &) const override { return {}; }
};

class IdSpec final : public Spec {
public:
    IdSpec(Element child, AnyValue id)
    {
        children = {std::move(child)};
        identity = std::move(id);
    }
    const char *kind() const override { return "Id"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &) const override { return true; }
    bool isTransparent() const override { return true; }
};

class EnvironmentSpec final : public Spec {
public:
    EnvironmentSpec(Element child, const void *key, AnyValue value) : key(key), value(std::move(value))
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Environment"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const EnvironmentSpec &>(other);
        return key == o.key && value == o.value;
    }
    bool isTransparent() const override { return true; }
    Env childEnvironment(const Env &env) const override { return env.withAny(key, value); }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    const void *key;
    AnyValue value;
};

class ImplicitAnimationSpec final : public Spec {
public:
    ImplicitAnimationSpec(Element child, std::optional<Animation> animation, AnyValue value)
        : animation(animation), value(std::move(value))
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Animation"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const ImplicitAnimationSpec &>(other);
        return animation == o.animation && value == o.value;
    }
    bool isTransparent() const override { return true; }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    std::optional<Animation> animation;
    AnyValue value;
};

class TransactionSpec final : public Spec {
public:
    TransactionSpec(Element child, std::function<void(Transaction &)> edit) : edit(std::move(edit))
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Transaction"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isTransparent() const override { return true; }
    void apply(Node &, const Spec *, ReconcileContext &ctx) const override { edit(ctx.transaction); }
    void adjustTransaction(Transaction &transaction) const override { edit(transaction); }
    std::function<void(Transaction &)> edit;
};

class TransitionSpec final : public Spec {
public:
    TransitionSpec(Element child, Transition t) : value(t) { children = {std::move(child)}; }
    const char *kind() const override { return "Transition"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override { return value == static_cast<const TransitionSpec &>(other).value; }
    bool isTransparent() const override { return true; }
    const Transition *transition() const override { return &value; }
    Transition value;
};

class ObserveSpec final : public Spec {
public:
    explicit ObserveSpec(std::function<Element(const Env &)> body) : body(std::move(body)) {}
    const char *kind() const override { return "Observe"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }
    Element evaluate(const Env &env) const override { return body(env); }
    std::function<Element(const Env &)> body;
};

class KeyframeSpec final : public Spec {
public:
    KeyframeSpec(AnyValue trigger, KeyframeTrack track, std::function<Element(double)> content)
        : trigger(std::move(trigger)), track(std::move(track)), content(std::move(content))
    {
    }
    const char *kind() const override { return "Keyframes"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    Element evaluateAt(const Node &node, const Env &env) const override;
    bool wantsFrames(const Node &node, double now) const override;
    AnyValue trigger;
    KeyframeTrack track;
    std::function<Element(double)> content;
};

// Painting modifiers.

class OffsetSpec final : public Spec {
public:
    OffsetSpec(Element child, double x, double y) : x(x), y(y) { children = {std::move(child)}; }
    const char *kind() const override { return "Offset"; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const OffsetSpec &>(other);
        return x == o.x && y == o.y && own == o.own;
    }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    QPointF toChildCoordinates(const Node &node, QPointF p) const override;
    std::shared_ptr<Spec> withOwnAnimation(std::optional<Animation> animation) const override;
    double x, y;
    std::optional<std::optional<Animation>> own;
};

class OpacitySpec final : public Spec {
public:
    OpacitySpec(Element child, double opacity) : opacity(opacity) { children = {std::move(child)}; }
    const char *kind() const override { return "Opacity"; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const OpacitySpec &>(other);
        return opacity == o.opacity && own == o.own;
    }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    bool allowsHits(const Node &node) const override;
    bool drawsNothing(const Node &node) const override;
    std::shared_ptr<Spec> withOwnAnimation(std::optional<Animation> animation) const override
    {
        auto copy = std::make_shared<OpacitySpec>(*this);
        copy->own = animation;
        return copy;
    }
    double opacity;
    std::optional<std::optional<Animation>> own;
};

class ClipSpec final : public Spec {
public:
    ClipSpec(Element child, AnyShape shape) : shape(std::move(shape)) { children = {std::move(child)}; }
    const char *kind() const override { return "Clip"; }
    bool sameProperties(const Spec &other) const override { return shape == static_cast<const ClipSpec &>(other).shape; }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    AnyShape shape;
};

// Laid out, never drawn, no hits.
class HiddenSpec final : public Spec {
public:
    HiddenSpec(Element child, bool hidden) : hidden(hidden) { children = {std::move(child)}; }
    const char *kind() const override { return "Hidden"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override { return hidden == static_cast<const HiddenSpec &>(other).hidden; }
    bool isTransparent() const override { return true; }
    void paint(const Node &node, PaintContext &ctx) const override;
    bool allowsHits(const Node &) const override { return !hidden; }
    bool drawsNothing(const Node &) const override { return hidden; }
    void describe(const Node &, QString &out) const override;
    bool hidden;
};

// Reports the size layout gives its content.
class SizeChangeSpec final : public Spec {
public:
    SizeChangeSpec(Element child, std::function<void(QSizeF)> fn) : fn(std::move(fn)) { children = {std::move(child)}; }
    const char *kind() const override { return "OnSizeChange"; }
    bool changesPainterState() const override { return false; }
    // Closures cannot be compared: a new description always carries its new closure.
    bool sameProperties(const Spec &) const override { return false; }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    std::function<void(QSizeF)> fn;
};

// A number that follows its value through the animation of each change; the content is described
// from the presented number on every frame while it moves.
class AnimatableSpec final : public Spec {
public:
    AnimatableSpec(double value, std::function<Element(double)> content) : value(value), content(std::move(content)) {}
    const char *kind() const override { return "Animatable"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override { return false; }
    bool isComponent() const override { return true; }
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    Element evaluateAt(const Node &node, const Env &env) const override;
    bool wantsFrames(const Node &node, double now) const override;
    void describe(const Node &node, QString &out) const override;
    double value;
    std::function<Element(double)> content;
};

// Shape data on screen: the animated numbers of a shape kept in the node's data props.
std::vector<double> presentedData(const Node &node, size_t count);
void applyShapeData(Node &node, const std::vector<double> &data, const ReconcileContext &ctx,
                    const std::optional<std::optional<Animation>> &own = std::nullopt);

// True when the node draws at most one primitive (a chain of single children ending in a leaf, none
// of which draws over itself), so an opacity can go straight to the painter without an offscreen
// layer: one primitive cannot overlap itself.
bool drawsSinglePrimitive(const Node &node);

}  // namespace kit
