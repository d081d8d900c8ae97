// Hit testing and pointer handling: which node is under the pointer, and who hears about it.
#include "Kit/Interaction.h"
#include "Kit/InteractionNodes.h"

#include "Kit/EffectNodes.h"
#include "Kit/Layout.h"
#include "Kit/Modifiers.h"
#include "Kit/Primitives.h"
#include "Kit/Tree.h"
#include "Kit/ViewState.h"

#include <QPainterPathStroker>

#include <algorithm>

namespace kit {

namespace {

template <typename S, typename... A>
Element make(A &&...args)
{
    return Element(std::make_shared<const S>(std::forward<A>(args)...));
}

}  // namespace

// ---- Coordinates --------------------------------------------------------------------------------

QPointF mapFromTree(const Node &node, QPointF p)
{
    QPointF local = p;
    if (const Node *parent = node.parent())
        local = parent->spec().toChildCoordinates(*parent, mapFromTree(*parent, p));
    return local - node.frame().topLeft();
}

QPointF OffsetSpec::toChildCoordinates(const Node &node, QPointF p) const
{
    return p - QPointF(node.value(Prop::offsetX, 0), node.value(Prop::offsetY, 0));
}

bool OpacitySpec::allowsHits(const Node &node) const { return node.value(Prop::opacity, 1) > 0.001; }

bool ShapeSpec::containsPoint(const Node &node, QPointF local) const
{
    const QPainterPath path = shape.path(QRectF(QPointF(0, 0), node.size()), presentedData(node, shape.data.size()));
    if (!stroke)
        return path.contains(local);
    QPainterPathStroker stroker;
    stroker.setWidth(stroke->width);
    return stroker.createStroke(path).contains(local);
}

bool TextSpec::containsPoint(const Node &node, QPointF local) const { return QRectF(QPointF(0, 0), node.size()).contains(local); }
bool SymbolSpec::containsPoint(const Node &node, QPointF local) const { return QRectF(QPointF(0, 0), node.size()).contains(local); }
bool ImageSpec::containsPoint(const Node &node, QPointF local) const { return QRectF(QPointF(0, 0), node.size()).contains(local); }
bool PainterSpec::containsPoint(const Node &node, QPointF local) const { return QRectF(QPointF(0, 0), node.size()).contains(local); }

// ---- Hit testing --------------------------------------------------------------------------------

namespace {

// Depth first, front to back; fills `chain` innermost first.
bool hitNode(const Node &node, QPointF inParent, std::vector<Hit> &chain)
{
    if (node.isLeaving())
        return false;
    // A node fading out through its transition is on its way out of the tree.
    if (node.hasProp(Prop::appear) && node.value(Prop::appear, 1) <= 0.001)
        return false;
    const QPointF local = inParent - node.frame().topLeft();
    const Spec &spec = node.spec();
    if (!spec.allowsHits(node))
        return false;
    if (dynamic_cast<const ContentShapeSpec *>(&spec)) {
        // The content shape decides alone: anywhere in it hits (the innermost child there, or
        // this node), nowhere else does.
        if (!spec.containsPoint(node, local))
            return false;
        const QPointF inner = spec.toChildCoordinates(node, local);
        for (auto it = node.children().rbegin(); it != node.children().rend(); ++it)
            if (hitNode(**it, inner, chain))
                break;
        chain.push_back({&node, local});
        return true;
    }
    const QPointF inner = spec.toChildCoordinates(node, local);
    std::vector<const Node *> order;
    for (auto it = node.children().rbegin(); it != node.children().rend(); ++it)
        order.push_back(it->get());
    if (const auto *overlay = dynamic_cast<const OverlaySpec *>(&spec); overlay && overlay->isBackground) {
        // The content is drawn over a background, so it is hit first.
        std::stable_partition(order.begin(), order.end(), [&](const Node *n) { return n == node.firstLiveChild(); });
    }
    if (const auto *mask = dynamic_cast<const MaskSpec *>(&spec)) {
        // The mask only shapes the content; it takes no hits of its own.
        (void)mask;
        order.erase(std::remove_if(order.begin(), order.end(), [&](const Node *n) { return n != node.firstLiveChild(); }),
                    order.end());
    }
    for (const Node *child : order) {
        if (hitNode(*child, inner, chain)) {
            chain.push_back({&node, local});
            return true;
        }
    }
    if (spec.containsPoint(node, local)) {
        chain.push_back({&node, local});
        return true;
    }
    return false;
}

template <typename S>
const std::pair<const S *, Hit> innermost(const std::vector<Hit> &hits)
{
    for (auto it = hits.rbegin(); it != hits.rend(); ++it)
        if (const auto *s = dynamic_cast<const S *>(&it->node->spec()))
            return {s, *it};
    return {nullptr, Hit{nullptr, {}}};
}

bool isEnabled(const Node &node) { return node.environment()[env::isEnabled]; }

}  // namespace

std::vector<Hit> Tree::hitTest(QPointF point) const
{
    std::vector<Hit> chain;
    if (root_)
        hitNode(*root_, point, chain);
    std::reverse(chain.begin(), chain.end());
    return chain;
}

std::function<void(bool)> Tree::hoverLeaveOf(const Node &node)
{
    const auto *hover = dynamic_cast<const HoverSpec *>(&node.spec());
    return hover ? hover->fn : nullptr;
}

std::optional<QString> Tree::tooltipAt(QPointF point) const
{
    const auto [spec, hit] = innermost<TooltipSpec>(hitTest(point));
    if (!spec)
        return std::nullopt;
    return spec->text;
}

void Tree::updateHover(QPointF point)
{
    const std::vector<Hit> hits = hitTest(point);
    std::vector<const Node *> now;
    for (const Hit &h : hits)
        if (dynamic_cast<const HoverSpec *>(&h.node->spec()))
            now.push_back(h.node);
    // Leaves first (innermost first), then enters (outermost first): every enter gets its leave.
    const std::vector<const Node *> before = hovered_;
    hovered_ = now;
    for (auto it = before.rbegin(); it != before.rend(); ++it)
        if (std::find(now.begin(), now.end(), *it) == now.end())
            if (const auto fn = static_cast<const HoverSpec &>((*it)->spec()).fn)
                fn(false);
    for (const Node *n : now)
        if (std::find(before.begin(), before.end(), n) == before.end())
            if (const auto fn = static_cast<const HoverSpec &>(n->spec()).fn)
                fn(true);

    const auto [cursorSpec, cursorHit] = innermost<CursorSpec>(hits);
    const Qt::CursorShape shape = cursorSpec ? cursorSpec->shape : Qt::ArrowCursor;
    if (shape != cursor_) {
        cursor_ = shape;
        cursorChanged(shape);
    }
}

bool Tree::handlePointer(const PointerEvent &event)
{
    switch (event.type) {
    case PointerEvent::Type::leave: {
        pointer_.reset();
        const std::vector<const Node *> before = std::move(hovered_);
        hovered_.clear();
        for (auto it = before.rbegin(); it != before.rend(); ++it)
            if (const auto fn = static_cast<const HoverSpec &>((*it)->spec()).fn)
                fn(false);
        if (cursor_ != Qt::ArrowCursor) {
            cursor_ = Qt::ArrowCursor;
            cursorChanged(cursor_);
        }
        return false;
    }
    case PointerEvent::Type::move: {
        pointer_ = event.position;
        updateHover(event.position);
        if (!pressTarget_)
            return false;
        if (const auto *drag = dynamic_cast<const DragSpec *>(&pressTarget_->spec())) {
            const DragValue value{mapFromTree(*pressTarget_, pressStart_), mapFromTree(*pressTarget_, event.position)};
            const QPointF d = event.position - pressStart_;
            if (!dragging_ && std::hypot(d.x(), d.y()) >= drag->minimumDistance)
                dragging_ = true;
            if (dragging_ && drag->changed)
                drag->changed(value);
        }
        return true;
    }
    case PointerEvent::Type::press: {
        pointer_ = event.position;
        const std::vector<Hit> hits = hitTest(event.position);
        if (event.button == Qt::RightButton) {
            const auto [menu, hit] = innermost<ContextMenuSpec>(hits);
            if (!menu)
                return false;
            contextMenuRequested(menu->items, event.globalPosition);
            return true;
        }
        if (event.button != Qt::LeftButton)
            return false;
        // The innermost node with any press-type handler takes the press.
        for (auto it = hits.rbegin(); it != hits.rend(); ++it) {
            const Spec &spec = it->node->spec();
            const bool handles = dynamic_cast<const TapSpec *>(&spec) || dynamic_cast<const PressSpec *>(&spec)
                                 || dynamic_cast<const DragSpec *>(&spec) || dynamic_cast<const ButtonSpec *>(&spec);
            if (!handles)
                continue;
            if (!isEnabled(*it->node))
                return false;
            pressTarget_ = it->node;
            pressStart_ = event.position;
            dragging_ = false;
            if (const auto *press = dynamic_cast<const PressSpec *>(&spec); press && press->fn)
                press->fn(true, it->local);
            if (const auto *button = dynamic_cast<const ButtonSpec *>(&spec))
                button->setPressed(const_cast<Node &>(*it->node), true);
            // A drag that needs no distance starts at the press: a click is a drag of no length.
            if (const auto *drag = dynamic_cast<const DragSpec *>(&spec); drag && drag->minimumDistance <= 0) {
                dragging_ = true;
                if (drag->changed)
                    drag->changed({it->local, it->local});
            }
            return true;
        }
        return false;
    }
    case PointerEvent::Type::release: {
        pointer_ = event.position;
        const Node *target = std::exchange(pressTarget_, nullptr);
        if (!target || event.button != Qt::LeftButton)
            return false;
        const Spec &spec = target->spec();
        const QPointF local = mapFromTree(*target, event.position);
        const std::vector<Hit> hits = hitTest(event.position);
        const bool inside = std::any_of(hits.begin(), hits.end(), [&](const Hit &h) { return h.node == target; });
        if (const auto *press = dynamic_cast<const PressSpec *>(&spec); press && press->fn)
            press->fn(false, local);
        if (const auto *drag = dynamic_cast<const DragSpec *>(&spec); drag && dragging_ && drag->ended)
            drag->ended({mapFromTree(*target, pressStart_), local});
        if (const auto *tap = dynamic_cast<const TapSpec *>(&spec); tap && inside && !dragging_ && tap->fn)
            tap->fn(local);
        if (const auto *button = dynamic_cast<const ButtonSpec *>(&spec)) {
            button->setPressed(const_cast<Node &>(*target), false);
            if (inside && button->action)
                button->action();
        }
        dragging_ = false;
        return true;
    }
    }
    return false;
}

// ---- Element API --------------------------------------------------------------------------------

Element Element::allowsHitTesting(bool allowed) const { return make<AllowsHitTestingSpec>(*this, allowed); }
Element Element::contentShape(AnyShape shape) const { return make<ContentShapeSpec>(*this, std::move(shape)); }
Element Element::onHover(std::function<void(bool)> handler) const { return make<HoverSpec>(*this, std::move(handler)); }
Element Element::onTap(std::function<void(QPointF)> handler) const { return make<TapSpec>(*this, std::move(handler)); }
Element Element::onPress(std::function<void(bool, QPointF)> handler) const { return make<PressSpec>(*this, std::move(handler)); }
Element Element::onDrag(std::function<void(const DragValue &)> changed, std::function<void(const DragValue &)> ended,
                        double minimumDistance) const
{
    return make<DragSpec>(*this, std::move(changed), std::move(ended), minimumDistance);
}
Element Element::cursor(Qt::CursorShape shape) const { return make<CursorSpec>(*this, shape); }
Element Element::tooltip(const QString &text) const { return make<TooltipSpec>(*this, text); }
Element Element::contextMenu(std::vector<MenuItem> items) const { return make<ContextMenuSpec>(*this, std::move(items)); }
Element Element::accessibilityLabel(const QString &text) const { return make<LabelSpec>(*this, text, true); }
Element Element::debugName(const QString &text) const { return make<LabelSpec>(*this, text, false); }

Element Button(Element label, std::function<void()> action)
{
    return make<ButtonSpec>(std::move(label).contentShape(Rectangle()), std::move(action));
}

Element StyledButtonSpec::evaluateAt(const Node &node, const Env &) const
{
    // The pressed state outlives descriptions; reading it here describes the button again when a
    // press begins or ends.
    const auto pressed = sharedViewState<vesk::Observed<bool>>(node, false);
    const bool isPressed = pressed->get();
    return make<ButtonSpec>(style ? style(label, isPressed) : label, action,
                            [weak = std::weak_ptr<vesk::Observed<bool>>(pressed)](bool p) {
                                if (const auto held = weak.lock())
                                    held->set(p);
                            });
}

Element Button(Element label, std::function<void()> action, ButtonStyle style)
{
    return make<StyledButtonSpec>(std::move(label), std::move(action), std::move(style));
}

}  // namespace kit
