#pragma once

// The node kinds of interaction, for Kit's own passes (hit testing, pointer routing, the query of
// what a tree draws).
#include "Kit/Element.h"
#include "Kit/Interaction.h"
#include "Kit/Modifiers.h"
#include "Kit/Node.h"
#include "Kit/Tree.h"

namespace kit {

// Handler kinds, all wrappers of one child with no layout of their own.
class HandlerSpec : public Spec {
public:
    explicit HandlerSpec(Element child) { children = {std::move(child)}; }
    bool isTransparent() const override { return true; }
    // Closures cannot be compared: a new description always carries the new closure.
    bool sameProperties(const Spec &) const override { return false; }
};

class AllowsHitTestingSpec final : public Spec {
public:
    AllowsHitTestingSpec(Element child, bool allowed) : allowed(allowed) { children = {std::move(child)}; }
    const char *kind() const override { return "AllowsHitTesting"; }
    bool sameProperties(const Spec &other) const override { return allowed == static_cast<const AllowsHitTestingSpec &>(other).allowed; }
    bool isTransparent() const override { return true; }
    bool allowsHits(const Node &) const override { return allowed; }
    void describe(const Node &, QString &out) const override
    {
        if (!allowed)
            out += QStringLiteral(" no-hits");
    }
    bool allowed;
};

class ContentShapeSpec final : public Spec {
public:
    ContentShapeSpec(Element child, AnyShape shape) : shape(std::move(shape)) { children = {std::move(child)}; }
    const char *kind() const override { return "ContentShape"; }
    bool sameProperties(const Spec &other) const override { return shape == static_cast<const ContentShapeSpec &>(other).shape; }
    void apply(Node &node, const Spec *, ReconcileContext &ctx) const override { applyShapeData(node, shape.data, ctx); }
    bool isTransparent() const override { return true; }
    bool containsPoint(const Node &node, QPointF local) const override
    {
        return shape.path(QRectF(QPointF(0, 0), node.size()), presentedData(node, shape.data.size())).contains(local);
    }
    AnyShape shape;
};

class HoverSpec final : public HandlerSpec {
public:
    HoverSpec(Element child, std::function<void(bool)> fn) : HandlerSpec(std::move(child)), fn(std::move(fn)) {}
    const char *kind() const override { return "OnHover"; }
    std::function<void(bool)> fn;
};

class TapSpec final : public HandlerSpec {
public:
    TapSpec(Element child, std::function<void(QPointF)> fn) : HandlerSpec(std::move(child)), fn(std::move(fn)) {}
    const char *kind() const override { return "OnTap"; }
    std::function<void(QPointF)> fn;
};

class PressSpec final : public HandlerSpec {
public:
    PressSpec(Element child, std::function<void(bool, QPointF)> fn) : HandlerSpec(std::move(child)), fn(std::move(fn)) {}
    const char *kind() const override { return "OnPress"; }
    std::function<void(bool, QPointF)> fn;
};

class DragSpec final : public HandlerSpec {
public:
    DragSpec(Element child, std::function<void(const DragValue &)> changed, std::function<void(const DragValue &)> ended,
             double minimumDistance)
        : HandlerSpec(std::move(child)), changed(std::move(changed)), ended(std::move(ended)), minimumDistance(minimumDistance)
    {
    }
    const char *kind() const override { return "OnDrag"; }
    std::function<void(const DragValue &)> changed, ended;
    double minimumDistance;
};

class CursorSpec final : public Spec {
public:
    CursorSpec(Element child, Qt::CursorShape shape) : shape(shape) { children = {std::move(child)}; }
    const char *kind() const override { return "Cursor"; }
    bool sameProperties(const Spec &other) const override { return shape == static_cast<const CursorSpec &>(other).shape; }
    bool isTransparent() const override { return true; }
    Qt::CursorShape shape;
};

class TooltipSpec final : public Spec {
public:
    TooltipSpec(Element child, QString text) : text(std::move(text)) { children = {std::move(child)}; }
    const char *kind() const override { return "Tooltip"; }
    bool sameProperties(const Spec &other) const override { return text == static_cast<const TooltipSpec &>(other).text; }
    bool isTransparent() const override { return true; }
    QString text;
};

class ContextMenuSpec final : public HandlerSpec {
public:
    ContextMenuSpec(Element child, std::vector<MenuItem> items) : HandlerSpec(std::move(child)), items(std::move(items)) {}
    const char *kind() const override { return "ContextMenu"; }
    std::vector<MenuItem> items;
};

// A button: acts on a click that ends inside. A plain one dims its label while held; a styled one
// reports the pressed state instead, and its style draws it.
class ButtonSpec final : public HandlerSpec {
public:
    ButtonSpec(Element label, std::function<void()> action, std::function<void(bool)> pressedChanged = nullptr)
        : HandlerSpec(std::move(label)), action(std::move(action)), pressedChanged(std::move(pressedChanged))
    {
    }
    const char *kind() const override { return "Button"; }
    bool isTransparent() const override { return false; }
    void apply(Node &node, const Spec *previous, ReconcileContext &) const override
    {
        if (!previous)
            node.jumpProp(Prop::opacity, 1);
    }
    void paint(const Node &node, PaintContext &ctx) const override
    {
        const double o = node.value(Prop::opacity, 1);
        ctx.painter.setOpacity(ctx.painter.opacity() * o);
        // The label is laid out as one piece; a whole-label fade through the painter is enough
        // for a pressed look (children rarely overlap in a label).
        ctx.paintChildren(node);
    }
    void setPressed(Node &node, bool pressed) const
    {
        if (pressedChanged) {
            pressedChanged(pressed);
            return;
        }
        node.setPropWith(Prop::opacity, pressed ? 0.6 : 1, Animation::easeOut(pressed ? 0.05 : 0.2));
        node.tree().scheduleFrameIfAnimating();
        node.tree().needsDisplay();
    }
    std::function<void()> action;
    std::function<void(bool)> pressedChanged;
};

// A button with a style: a component that keeps the pressed state in its node and describes the
// button from it.
class StyledButtonSpec final : public Spec {
public:
    StyledButtonSpec(Element label, std::function<void()> action, ButtonStyle style)
        : label(std::move(label)), action(std::move(action)), style(std::move(style))
    {
    }
    const char *kind() const override { return "StyledButton"; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }
    Element evaluateAt(const Node &node, const Env &env) const override;
    Element label;
    std::function<void()> action;
    ButtonStyle style;
};

// A name for a control that the tree query reports (an accessibility label, or a name for
// developers only).
class LabelSpec final : public Spec {
public:
    LabelSpec(Element child, QString text, bool isAccessibility) : text(std::move(text)), isAccessibility(isAccessibility)
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return isAccessibility ? "AccessibilityLabel" : "DebugName"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const LabelSpec &>(other);
        return text == o.text && isAccessibility == o.isAccessibility;
    }
    bool isTransparent() const override { return true; }
    void describe(const Node &, QString &out) const override
    {
        out += (isAccessibility ? QStringLiteral(" label=\"") : QStringLiteral(" name=\"")) + text + u'"';
    }
    QString text;
    bool isAccessibility;
};

}  // namespace kit
