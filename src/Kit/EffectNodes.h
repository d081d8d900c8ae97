#pragma once

#include "Kit/Element.h"
#include "Kit/Node.h"

#include <QTransform>

namespace kit {

// A modifier with an optional curve of its own for its animated properties.
template <typename Derived>
class OwnCurveSpec : public Spec {
public:
    std::shared_ptr<Spec> withOwnAnimation(std::optional<Animation> animation) const override
    {
        auto copy = std::make_shared<Derived>(static_cast<const Derived &>(*this));
        copy->own = animation;
        return copy;
    }
    std::optional<std::optional<Animation>> own;
};

// A modifier that draws its content through `Derived::transform(node)`; points come back to the
// content through the inverse (nowhere when the transform cannot be inverted).
template <typename Derived>
class TransformingSpec : public OwnCurveSpec<Derived> {
public:
    QPointF toChildCoordinates(const Node &node, QPointF p) const override
    {
        bool invertible = false;
        const QTransform inverse = static_cast<const Derived &>(*this).transform(node).inverted(&invertible);
        return invertible ? inverse.map(p) : QPointF(-1e9, -1e9);
    }
};

class BlurSpec final : public OwnCurveSpec<BlurSpec> {
public:
    BlurSpec(Element child, double radius) : radius(radius) { children = {std::move(child)}; }
    const char *kind() const override { return "Blur"; }
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    double radius;
};

class ShadowSpec final : public OwnCurveSpec<ShadowSpec> {
public:
    ShadowSpec(Element child, Color color, double radius, double x, double y) : color(color), radius(radius), x(x), y(y)
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Shadow"; }
    bool overlapsItself(const Node &) const override { return true; }  // the content over its shadow
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    Color color;
    double radius, x, y;
};

class ScaleSpec final : public TransformingSpec<ScaleSpec> {
public:
    ScaleSpec(Element child, double sx, double sy, UnitPoint anchor) : sx(sx), sy(sy), anchor(anchor)
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Scale"; }
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    QTransform transform(const Node &node) const;
    double sx, sy;
    UnitPoint anchor;
};

class Rotation3DSpec final : public TransformingSpec<Rotation3DSpec> {
public:
    Rotation3DSpec(Element child, double degrees, UnitPoint anchor, double perspective)
        : degrees(degrees), anchor(anchor), perspective(perspective)
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Rotation3D"; }
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    QTransform transform(const Node &node) const;
    double degrees;
    UnitPoint anchor;
    double perspective;
};

// The content drawn only where the mask (laid out over it, aligned) has alpha.
class MaskSpec final : public Spec {
public:
    MaskSpec(Element content, Element mask, Alignment alignment) : alignment(alignment)
    {
        children = {std::move(content), std::move(mask)};
    }
    const char *kind() const override { return "Mask"; }
    bool sameProperties(const Spec &other) const override { return alignment == static_cast<const MaskSpec &>(other).alignment; }
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    Alignment alignment;
};

class ThresholdSpec final : public Spec {
public:
    ThresholdSpec(Element child, double min, double max, Color color) : min(min), max(max), color(color)
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "AlphaThreshold"; }
    bool sameProperties(const Spec &other) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    double min, max;
    Color color;
};

// Draws its subtree into a kept layer once the subtree has held still for a frame, and shows that
// picture again for as long as nothing inside changes or moves; while something does (and while
// not `enabled`), the subtree is drawn as usual. For content that mostly rests while other parts of
// its window move.
class KeptSpec final : public Spec {
public:
    KeptSpec(Element child, bool enabled) : enabled(enabled) { children = {std::move(child)}; }
    const char *kind() const override { return "Kept"; }
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    bool enabled;
};

}  // namespace kit
