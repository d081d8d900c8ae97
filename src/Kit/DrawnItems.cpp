// The query of what a tree draws, for developer tools and view tests.
#include "Kit/DrawnItems.h"

#include "Kit/EffectNodes.h"
#include "Kit/InteractionNodes.h"
#include "Kit/Primitives.h"

#include <QTransform>

#include <algorithm>

namespace kit {

bool DrawnItem::isVisible() const
{
    return !hiddenOnPath && opacity > 0.01 && !clippedAway && !rect.isEmpty();
}

namespace {

struct PathState {
    QTransform toTree;  // this node's own coordinates to the tree's
    double opacity = 1;
    std::optional<QRectF> clip;  // in tree points
    bool hidden = false;
    bool hits = true;
};

bool isControl(const Spec &spec)
{
    return dynamic_cast<const ButtonSpec *>(&spec) || dynamic_cast<const TapSpec *>(&spec)
           || dynamic_cast<const PressSpec *>(&spec) || dynamic_cast<const DragSpec *>(&spec)
           || dynamic_cast<const ContextMenuSpec *>(&spec);
}

// The names given to a control by the wrappers around it and the chain of single children inside.
struct Names {
    QString label, tooltip, debugName;
    bool hasLabel = false, hasTooltip = false, hasDebugName = false;
    void take(const Spec &spec)
    {
        if (const auto *l = dynamic_cast<const LabelSpec *>(&spec)) {
            if (l->isAccessibility && !hasLabel) {
                label = l->text;
                hasLabel = true;
            } else if (!l->isAccessibility && !hasDebugName) {
                debugName = l->text;
                hasDebugName = true;
            }
        } else if (const auto *t = dynamic_cast<const TooltipSpec *>(&spec); t && !hasTooltip) {
            tooltip = t->text;
            hasTooltip = true;
        }
    }
};

Names namesOf(const Node &control)
{
    Names names;
    // Inside: the chain of single children (a label wrapped in modifiers).
    for (const Node *n = &control; n; n = n->children().size() == 1 ? n->children().front().get() : nullptr)
        names.take(n->spec());
    // Around: the wrappers whose only child leads to the control.
    for (const Node *n = control.parent(); n && n->children().size() == 1; n = n->parent())
        names.take(n->spec());
    return names;
}

class Walker {
public:
    std::vector<DrawnItem> items;

    void walk(const Node &node, const PathState &parent)
    {
        PathState s = parent;
        const QRectF f = node.frame();
        s.toTree = QTransform::fromTranslate(f.x(), f.y()) * parent.toTree;
        const Spec &spec = node.spec();
        if (node.isLeaving())
            s.hits = false;
        if (node.hasProp(Prop::appear)) {
            const double p = node.value(Prop::appear, 1);
            if (p <= 0.001)
                s.hits = false;
            const Transition *t = transitionOf(node);
            const Transition fallback = Transition::opacity();
            const TransitionEffect e = (node.isLeaving() ? (t ? t : &fallback)->removal : (t ? t : &fallback)->insertion).at(p);
            s.opacity *= std::clamp(e.opacity, 0.0, 1.0);
            const QPointF a = e.anchor.in(QRectF(QPointF(0, 0), f.size()));
            s.toTree = QTransform::fromTranslate(-a.x(), -a.y()) * QTransform::fromScale(e.scale, e.scale)
                       * QTransform::fromTranslate(a.x() + e.offsetX, a.y() + e.offsetY) * s.toTree;
        }
        if (!spec.allowsHits(node))
            s.hits = false;
        if (const auto *hidden = dynamic_cast<const HiddenSpec *>(&spec); hidden && hidden->hidden)
            s.hidden = true;

        const QRectF own = s.toTree.mapRect(QRectF(QPointF(0, 0), f.size()));
        const bool clippedAway = s.clip && !s.clip->intersects(own) ;
        auto add = [&](DrawnItem::Kind kind, QString text, double tint) {
            DrawnItem item;
            item.kind = kind;
            item.node = &node;
            item.rect = own;
            item.text = std::move(text);
            item.opacity = s.opacity;
            item.tintAlpha = tint;
            item.hiddenOnPath = s.hidden;
            item.clippedAway = clippedAway || own.isEmpty();
            item.takesHits = s.hits;
            item.disabled = !node.environment()[env::isEnabled];
            items.push_back(std::move(item));
            return items.size() - 1;
        };

        // What this node does to its content.
        PathState inner = s;
        std::optional<size_t> control;
        if (const auto *text = dynamic_cast<const TextSpec *>(&spec)) {
            add(DrawnItem::Kind::text, text->shownText(node), 1);
        } else if (const auto *symbol = dynamic_cast<const SymbolSpec *>(&spec)) {
            add(DrawnItem::Kind::symbol, symbol->name, symbol->tintAlpha(node));
        } else if (isControl(spec)) {
            control = add(DrawnItem::Kind::control, QString(), 1);
        }
        if (dynamic_cast<const OpacitySpec *>(&spec) || dynamic_cast<const ButtonSpec *>(&spec))
            inner.opacity *= std::clamp(node.value(Prop::opacity, 1), 0.0, 1.0);
        // A looping offset (a marquee's run) moves its content just as a fixed one does.
        if (dynamic_cast<const OffsetSpec *>(&spec) || node.runningLoops())
            inner.toTree = QTransform::fromTranslate(node.value(Prop::offsetX, 0), node.value(Prop::offsetY, 0)) * s.toTree;
        if (const auto *scale = dynamic_cast<const ScaleSpec *>(&spec))
            inner.toTree = scale->transform(node) * s.toTree;
        if (dynamic_cast<const ClipSpec *>(&spec))
            inner.clip = s.clip ? s.clip->intersected(own) : own;

        if (dynamic_cast<const MaskSpec *>(&spec)) {
            if (const Node *content = node.firstLiveChild())
                walk(*content, inner);  // the mask itself draws nothing of its own
        } else {
            for (const auto &child : node.children())
                walk(*child, inner);
        }

        if (control) {
            const Names names = namesOf(node);
            QString spoken;
            if (names.hasLabel)
                spoken = names.label;
            else if (names.hasTooltip)
                spoken = names.tooltip;
            else if (!names.hasDebugName)
                for (size_t i = *control + 1; i < items.size(); ++i)
                    if (items[i].kind == DrawnItem::Kind::text && items[i].isVisible()) {
                        spoken = items[i].text;
                        break;
                    }
            const bool developersOnly = !names.hasLabel && !names.hasTooltip && names.hasDebugName;
            items[*control].text = developersOnly ? names.debugName : spoken;
            items[*control].spokenName = spoken;
        }
    }
};

}  // namespace

std::vector<DrawnItem> drawnItems(const Tree &tree)
{
    Walker walker;
    if (tree.root())
        walker.walk(*tree.root(), PathState{});
    return std::move(walker.items);
}

}  // namespace kit
