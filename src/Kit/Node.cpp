#include "Kit/Node.h"

#include "Kit/Layers.h"
#include "Kit/Loop.h"
#include "Kit/Tree.h"

#include <algorithm>

namespace kit {

Node::Node(Tree &tree, Node *parent, std::shared_ptr<const Spec> spec)
    : tree_(tree), parent_(parent), spec_(std::move(spec))
{
    stamp(tree.nextChangeStamp());
}

void Node::noteChanged() { stamp(tree_.nextChangeStamp()); }

void Node::stamp(uint64_t at)
{
    changedAt_ = at;
    for (Node *n = this; n && n->subtreeChangedAt_ < at; n = n->parent_)
        n->subtreeChangedAt_ = at;
}

void Node::setLoops(std::shared_ptr<const LoopBindings> loops)
{
    if (loops == loops_)
        return;
    loops_ = std::move(loops);
    noteChanged();
}

Node::~Node()
{
    children_.clear();
    tree_.forgetNode(*this);
}

std::vector<Node *> Node::liveChildren() const
{
    std::vector<Node *> out;
    out.reserve(children_.size());
    for (const auto &c : children_)
        if (!c->leaving_)
            out.push_back(c.get());
    return out;
}

Node *Node::firstLiveChild() const
{
    for (const auto &c : children_)
        if (!c->leaving_)
            return c.get();
    return nullptr;
}

double Node::animatedValue(Prop prop, double fallback) const
{
    auto it = props_.find(int(prop));
    return it == props_.end() ? fallback : it->second.value(tree_.now());
}

const LoopBindings *Node::runningLoops() const { return loops_ && tree_.presentsLoops() ? loops_.get() : nullptr; }

double Node::value(Prop prop, double fallback) const
{
    if (const LoopBindings *loops = runningLoops())
        if (const auto v = loopedValue(*loops, prop, tree_.now()))
            return *v;
    return animatedValue(prop, fallback);
}

double Node::target(Prop prop, double fallback) const
{
    auto it = props_.find(int(prop));
    return it == props_.end() ? fallback : it->second.target();
}

QRectF Node::frame() const
{
    QRectF f(value(Prop::x, 0), value(Prop::y, 0), std::max(0.0, value(Prop::width, 0)),
             std::max(0.0, value(Prop::height, 0)));
    // A looping size grows and shrinks about the centre of the rectangle it was given, as a layer's
    // bounds do about its position.
    if (runningLoops())
        f.translate((std::max(0.0, animatedValue(Prop::width, 0)) - f.width()) / 2,
                    (std::max(0.0, animatedValue(Prop::height, 0)) - f.height()) / 2);
    return f;
}

QRectF Node::targetFrame() const
{
    return {target(Prop::x, 0), target(Prop::y, 0), target(Prop::width, 0), target(Prop::height, 0)};
}

QRectF Node::frameInTree() const
{
    QRectF f = frame();
    for (const Node *p = parent_; p; p = p->parent_)
        f.translate(p->frame().topLeft() + QPointF(p->value(Prop::offsetX, 0), p->value(Prop::offsetY, 0)));
    f.translate(value(Prop::offsetX, 0), value(Prop::offsetY, 0));
    return f;
}

bool Node::isAnimating() const
{
    if (runningLoops())
        return true;
    for (const auto &[key, a] : props_)
        if (a.isActive())
            return true;
    return false;
}

Animator &Node::animator(Prop prop, double initial)
{
    auto it = props_.find(int(prop));
    if (it == props_.end()) {
        it = props_.emplace(int(prop), Animator(initial)).first;
        noteChanged();
    }
    return it->second;
}

void Node::setProp(Prop prop, double value, const ReconcileContext &ctx,
                   const std::optional<std::optional<Animation>> &own)
{
    if (created_ || !hasProp(prop)) {
        jumpProp(prop, value);
        return;
    }
    std::optional<Animation> animation = own ? *own : ctx.transaction.animation;
    if (ctx.transaction.disablesAnimations)
        animation.reset();
    setPropWith(prop, value, animation, ctx.transaction.completion);
}

void Node::setPropWith(Prop prop, double value, const std::optional<Animation> &animation,
                       std::shared_ptr<void> completion)
{
    Animator &a = animator(prop, value);
    // The same target again leaves a motion towards it undisturbed, whatever the transaction.
    if (a.target() == value)
        return;
    a.set(value, animation, tree_.now(), std::move(completion));
    noteChanged();
    if (a.isActive())
        tree_.noteMotion();
}

void Node::jumpProp(Prop prop, double value)
{
    Animator &a = animator(prop, value);
    if (a.target() != value || a.isActive())
        noteChanged();
    a.jump(value);
}

bool Node::stepAnimations(double now)
{
    bool moving = false;
    for (auto &[key, a] : props_)
        moving = a.step(now) || moving;
    return moving;
}

}  // namespace kit
