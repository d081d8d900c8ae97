#include "Kit/Tree.h"

#include "Kit/Layers.h"

#include "Base/Clock.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kit {

// ---- Tree ---------------------------------------------------------------------------------------

const Transition *transitionOf(const Node &node)
{
    const Node *n = &node;
    while (n) {
        if (const Transition *t = n->spec().transition())
            return t;
        if (n->children().size() != 1)
            return nullptr;
        n = n->children().front().get();
    }
    return nullptr;
}

namespace {

bool sameTransaction(const Transaction &a, const Transaction &b)
{
    return a.animation == b.animation && a.disablesAnimations == b.disablesAnimations && a.completion == b.completion;
}

}  // namespace

Tree::Tree(QSizeF size) : size_(size) {}

Tree::~Tree()
{
    tearingDown_ = true;
    updateItem_.cancel();
    frame_.cancel();
    root_.reset();
}

double Tree::now() const { return heldNow_ ? *heldNow_ : vesk::appClock().now(); }

void Tree::setRoot(Element root)
{
    const Transaction transaction = Transaction::current();
    ReconcileContext ctx{*this, Env(), transaction, now(), false, ++generation_};
    const uint64_t before = changes_;
    if (root_ && typeid(root_->spec()) == typeid(*root.spec()) && root_->spec().matchType() == root.spec()->matchType())
        reconcile(*root_, root, ctx, false);
    else
        root_ = makeNode(nullptr, root, ctx);
    // An unchanged description needs no layout, no frame and no repaint.
    if (changes_ == before) {
        runAfterCommit();
        return;
    }
    layout(transaction);
    scheduleFrameIfAnimating();
    needsDisplay();
    if (pointer_)
        updateHover(*pointer_);
    runAfterCommit();
}

void Tree::setSize(QSizeF size)
{
    if (size == size_)
        return;
    size_ = size;
    layout(Transaction::current());
    scheduleFrameIfAnimating();
    needsDisplay();
}

void Tree::relayout(const Transaction &transaction)
{
    layout(transaction);
    scheduleFrameIfAnimating();
    needsDisplay();
}

std::unique_ptr<Node> Tree::makeNode(Node *parent, const Element &element, ReconcileContext &ctx)
{
    auto node = std::make_unique<Node>(*this, parent, element.spec());
    reconcile(*node, element, ctx, true);
    return node;
}

void Tree::reconcile(Node &node, const Element &element, ReconcileContext &ctx, bool created)
{
    const std::shared_ptr<const Spec> &spec = element.spec();
    // An identical description with nothing invalidated inside is neither reconciled nor repainted.
    if (!created && node.spec_ == spec && !node.dirty_ && !ctx.forceEvaluate)
        return;
    const std::shared_ptr<const Spec> previous = created ? nullptr : node.spec_;
    const bool same = previous && previous->sameProperties(*spec);
    if (!same)
        noteChange();
    node.spec_ = spec;
    node.env_ = ctx.env;

    ReconcileContext inner = ctx;
    inner.env = spec->childEnvironment(ctx.env);
    // Equal properties in an unchanged environment leave the node as it is.
    if (!same || ctx.forceEvaluate) {
        node.noteChanged();
        spec->apply(node, previous.get(), inner);
    }

    if (spec->isComponent()) {
        if (created || !same || node.dirty_ || ctx.forceEvaluate)
            evaluateComponent(node, inner);
    } else if (!spec->reconcilesChildrenInLayout()) {
        reconcileChildren(node, spec->children, inner);
    }
    node.created_ = false;
}

void Tree::evaluateComponent(Node &node, ReconcileContext &ctx)
{
    Element body;
    const Spec &spec = node.spec();
    const Env env = ctx.env;
    Node *target = &node;
    ++evaluations_;
    node.observation_ =
        vesk::trackObservation([&] { body = spec.evaluateAt(node, env); }, [this, target] { invalidate(*target); });
    node.dirty_ = false;
    reconcileChildren(node, Elements{body}, ctx);
}

void Tree::reconcileChild(Node &parent, ReconcileContext &ctx, const Elements &children)
{
    reconcileChildren(parent, children, ctx);
}

void Tree::reconcileChildren(Node &node, const Elements &children, ReconcileContext &ctx)
{
    std::vector<std::unique_ptr<Node>> old;
    std::vector<std::pair<size_t, std::unique_ptr<Node>>> leaving;
    old.reserve(node.children_.size());
    for (size_t i = 0; i < node.children_.size(); ++i) {
        if (node.children_[i]->leaving_)
            leaving.emplace_back(i, std::move(node.children_[i]));
        else
            old.push_back(std::move(node.children_[i]));
    }
    node.children_.clear();

    std::vector<std::unique_ptr<Node>> result;
    result.reserve(children.size());
    auto matches = [](const Node &n, const Spec &s) {
        return typeid(n.spec()) == typeid(s) && n.spec().matchType() == s.matchType();
    };
    for (size_t i = 0; i < children.size(); ++i) {
        const Element &element = children[i];
        const Spec &spec = *element.spec();
        std::unique_ptr<Node> *match = nullptr;
        if (spec.identity) {
            for (auto &candidate : old)
                if (candidate && candidate->spec().identity && *candidate->spec().identity == *spec.identity
                    && matches(*candidate, spec)) {
                    match = &candidate;
                    break;
                }
        } else if (i < old.size() && old[i] && !old[i]->spec().identity && matches(*old[i], spec)) {
            match = &old[i];
        }
        if (match) {
            if (i >= old.size() || match != &old[i]) {
                noteChange();  // moved among its siblings
                node.noteChanged();
            }
            std::unique_ptr<Node> n = std::move(*match);
            reconcile(*n, element, ctx, false);
            result.push_back(std::move(n));
            continue;
        }
        std::unique_ptr<Node> n = makeNode(&node, element, ctx);
        noteChange();
        node.noteChanged();
        // Only the topmost inserted node transitions; what comes with it arrives inside it.
        const Transition *transition = transitionOf(*n);
        const auto animation = ctx.animation();
        if (animation && !node.created_ && !(transition && transition->immediateInsertion)
            && !(transition && transition->insertion == TransitionEffect{})) {
            n->jumpProp(Prop::appear, 0);
            n->setPropWith(Prop::appear, 1, animation, ctx.transaction.completion);
        }
        result.push_back(std::move(n));
    }
    node.children_ = std::move(result);

    // What matched nothing leaves: at once, or drawn on through its removal transition.
    for (size_t i = 0; i < old.size(); ++i)
        if (old[i]) {
            noteChange();
            node.noteChanged();
            beginRemoval(std::move(old[i]), node, i, ctx);
        }
    for (auto &[index, n] : leaving)
        node.children_.insert(node.children_.begin() + std::min(index, node.children_.size()), std::move(n));
}

void Tree::beginRemoval(std::unique_ptr<Node> n, Node &parent, size_t index, const ReconcileContext &ctx)
{
    const Transition *transition = transitionOf(*n);
    const auto animation = ctx.animation();
    if (!animation || (transition && (transition->immediateRemoval || transition->removal == TransitionEffect{})))
        return;  // destroyed here
    n->leaving_ = true;
    noteMotion();  // removed when its transition ends, which a frame's step finds
    n->observation_.cancel();
    const double from = n->value(Prop::appear, 1);
    n->jumpProp(Prop::appear, from);
    n->setPropWith(Prop::appear, 0, animation, ctx.transaction.completion);
    parent.children_.insert(parent.children_.begin() + std::min(index, parent.children_.size()), std::move(n));
}

void Tree::invalidate(Node &node)
{
    node.dirty_ = true;
    pending_.push_back({&node, Transaction::current()});
    if (!updateItem_.isPending())
        updateItem_ = vesk::mainQueue().after(0, [this] { update(); });
}

void Tree::markAnimationFired(Node &node, const Transaction &transaction)
{
    node.firedGeneration_ = generation_;
    node.firedAnimation_ = transaction.disablesAnimations ? std::nullopt : transaction.animation;
    node.firedCompletion_ = transaction.completion;
}

void Tree::runEveryFrame(Node &node)
{
    if (std::find(everyFrame_.begin(), everyFrame_.end(), &node) == everyFrame_.end())
        everyFrame_.push_back(&node);
    if (!frame_.isPending() || loopFrame_)
        requestFrame(false);
}

void Tree::requestFrame(bool loopsOnly)
{
    loopFrame_ = loopsOnly;
    frame_ = FrameDriver::shared().request([this](double t) { onFrame(t); }, loopsOnly ? loopFrameInterval() : 0);
}

void Tree::setShown(bool shown)
{
    if (shown == shown_)
        return;
    shown_ = shown;
    if (looping_.empty())
        return;
    // Loops start at the phase the clock gives them, or stop and leave the laid-out values.
    scheduleFrameIfAnimating();
    needsDisplay();
}

void Tree::noteLooping(Node &node, bool looping, double frameInterval)
{
    if (looping)
        looping_[&node] = frameInterval;
    else
        looping_.erase(&node);
}

double Tree::loopFrameInterval() const
{
    auto shortest = std::min_element(looping_.begin(), looping_.end(),
                                     [](const auto &a, const auto &b) { return a.second < b.second; });
    return shortest == looping_.end() ? FrameDriver::loopInterval : shortest->second;
}

void Tree::runAfterCommit()
{
    // Actions may change models and queue more; those run after their own update.
    auto actions = std::move(afterCommit_);
    afterCommit_.clear();
    for (auto &fn : actions)
        fn();
}

void Tree::forgetNode(Node &node)
{
    if (std::find(hovered_.begin(), hovered_.end(), &node) != hovered_.end()) {
        std::erase(hovered_, &node);
        // A hovered node that goes away still hears that the pointer left it, once the update
        // that removed it is done (never while the whole tree is being torn down).
        if (!tearingDown_)
            if (auto leave = hoverLeaveOf(node))
                afterCommit([leave] { leave(false); });
    }
    if (pressTarget_ == &node)
        pressTarget_ = nullptr;
    everyFrame_.erase(std::remove(everyFrame_.begin(), everyFrame_.end(), &node), everyFrame_.end());
    looping_.erase(&node);
    for (auto &p : pending_)
        if (p.node == &node)
            p.node = nullptr;
}

void Tree::update()
{
    updateItem_.cancel();
    if (pending_.empty())
        return;
    while (!pending_.empty()) {
        // Changes made in one transaction are evaluated together and laid out once.
        const Transaction transaction = pending_.front().transaction;
        ++generation_;
        size_t i = 0;
        for (; i < pending_.size() && sameTransaction(pending_[i].transaction, transaction); ++i) {
            Node *node = pending_[i].node;
            if (!node || !node->dirty_ || node->leaving_)
                continue;
            ReconcileContext ctx{*this, node->env_, transaction, now(), false, generation_};
            withTransaction(transaction, [&] { evaluateComponent(*node, ctx); });
        }
        pending_.erase(pending_.begin(), pending_.begin() + i);
        layout(transaction);
        runAfterCommit();
    }
    scheduleFrameIfAnimating();
    needsDisplay();
    if (pointer_)
        updateHover(*pointer_);
}

void Tree::layout(const Transaction &transaction)
{
    if (!root_)
        return;
    LayoutContext ctx{*this, transaction, generation_, now()};
    const QSizeF fitted = ctx.sizeOf(*root_, Proposal::of(size_));
    // The root sits centred in the tree's rectangle, as content sits in a window.
    ctx.place(*root_, QRectF(QPointF((size_.width() - fitted.width()) / 2, (size_.height() - fitted.height()) / 2), fitted));
}

bool Tree::isAnimating() const
{
    if (!everyFrame_.empty() || runsLoops())
        return true;
    std::function<bool(const Node &)> any = [&](const Node &n) {
        if (n.isAnimating())
            return true;
        for (const auto &c : n.children_)
            if (any(*c))
                return true;
        return false;
    };
    return root_ && any(*root_);
}

void Tree::scheduleFrameIfAnimating()
{
    // A frame asked for the loops alone comes late: motion that starts meanwhile asks sooner.
    if (frame_.isPending() && !(loopFrame_ && motion_))
        return;
    if (isAnimating())
        requestFrame(!motion_ && everyFrame_.empty());
}

bool Tree::stepAll(Node &node, double now)
{
    bool moving = node.stepAnimations(now);
    auto &children = node.children_;
    for (auto it = children.begin(); it != children.end();) {
        Node &child = **it;
        const bool childMoving = stepAll(child, now);
        if (child.leaving_ && !child.props_.at(int(Prop::appear)).isActive()) {
            it = children.erase(it);
            node.noteChanged();
            continue;
        }
        moving = childMoving || moving;
        ++it;
    }
    return moving;
}

void Tree::onFrame(double now)
{
    frame_ = {};
    // Components that follow the clock describe themselves again, without animation.
    if (!everyFrame_.empty()) {
        const std::vector<Node *> nodes = everyFrame_;
        ++generation_;
        withoutAnimation([&] {
            for (Node *node : nodes) {
                if (std::find(everyFrame_.begin(), everyFrame_.end(), node) == everyFrame_.end())
                    continue;
                ReconcileContext ctx{*this, node->env_, Transaction::current(), now, false, generation_};
                evaluateComponent(*node, ctx);
                if (!node->spec().wantsFrames(*node, now))
                    everyFrame_.erase(std::remove(everyFrame_.begin(), everyFrame_.end(), node), everyFrame_.end());
            }
        });
        layout(Transaction{std::nullopt, true, nullptr});
    }
    const bool moving = root_ && motion_ && stepAll(*root_, now);
    motion_ = moving;
    if (moving || !everyFrame_.empty() || runsLoops())
        requestFrame(!moving && everyFrame_.empty());
    needsDisplay();
    runAfterCommit();
}

Node *Tree::findId(const AnyValue &id) const
{
    std::function<Node *(Node &)> search = [&](Node &n) -> Node * {
        if (n.spec().identity && *n.spec().identity == id)
            return &n;
        for (const auto &c : n.children_)
            if (Node *found = search(*c))
                return found;
        return nullptr;
    };
    return root_ ? search(*root_) : nullptr;
}

void Tree::paint(QPainter &painter, double scale) const
{
    if (!root_)
        return;
    const HeldNow held(*this);
    PaintContext ctx{painter, now(), scale};
    // A picture shows the loops where the clock puts them, also while the tree is not shown and
    // they are stopped; being stopped only means that no frames are asked for.
    const bool wasPainting = std::exchange(painting_, true);
    ctx.paintChild(*root_);
    painting_ = wasPainting;
}

namespace {

// `damage` with its rectangles that touch an edge of `target` carried on far past it. Only the
// target's pixels are ever painted, but a layer under a clip stops a blur's reach beyond the
// clip's bounds, and a full repaint's layers reach past the target's edges.
QRegion pastEdges(const QRegion &damage, const QRect &target)
{
    constexpr int far = 1 << 16;
    QRegion out;
    for (QRect r : damage) {
        if (r.left() <= target.left())
            r.setLeft(target.left() - far);
        if (r.top() <= target.top())
            r.setTop(target.top() - far);
        if (r.right() >= target.right())
            r.setRight(target.right() + far);
        if (r.bottom() >= target.bottom())
            r.setBottom(target.bottom() + far);
        out += r;
    }
    return out;
}

}  // namespace

QRect Tree::deviceRect(double scale) const
{
    return QRect(0, 0, int(std::ceil(size_.width() * scale - 1e-9)), int(std::ceil(size_.height() * scale - 1e-9)));
}

bool Tree::tracksAt(double scale) const
{
    return tracked_.valid && tracked_.scale == scale && tracked_.size == size_ && root_ && root_->drawn.known;
}

QRegion Tree::damage(double scale) const
{
    if (!root_)
        return {};
    if (!tracksAt(scale))
        return QRegion(deviceRect(scale));
    const HeldNow held(*this);
    return collectDamage(*root_, scale, deviceRect(scale), tracked_.stamp, false);
}

QRegion Tree::takeDamage(double scale)
{
    if (!root_)
        return {};
    const bool tracking = tracksAt(scale);
    const HeldNow held(*this);
    // Without a reference every node counts as changed, so every record is made again.
    QRegion damage = collectDamage(*root_, scale, deviceRect(scale), tracking ? tracked_.stamp : 0, true);
    if (!tracking)
        damage = QRegion(deviceRect(scale));
    tracked_ = {true, scale, size_, stamp_};
    return damage;
}

void Tree::paintDamage(QPainter &painter, double scale, const QRegion &damage) const
{
    if (!root_ || damage.isEmpty())
        return;
    const HeldNow held(*this);
    PaintContext ctx{painter, now(), scale, &damage};
    ctx.paintChild(*root_);
}

QRegion Tree::paintChanges(QImage &target, double scale)
{
    if (size_.isEmpty() || scale <= 0)
        return {};
    const HeldNow held(*this);
    const QRect pixels = deviceRect(scale);
    if (target.size() != pixels.size() || target.format() != QImage::Format_ARGB32_Premultiplied) {
        target = QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::transparent);
        tracked_.valid = false;
    }
    const QRegion damage = takeDamage(scale);
    if (damage.isEmpty())
        return damage;
    QPainter painter(&target);
    beginRepaint(painter, pastEdges(damage, pixels), damage);
    painter.scale(scale, scale);
    paintDamage(painter, scale, damage);
    return damage;
}

QImage Tree::render(double scale) const
{
    if (size_.isEmpty() || scale <= 0)
        return QImage();  // nothing to draw into
    QImage image(deviceRect(scale).size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    paint(painter, scale);
    return image;
}

QString Tree::dump() const
{
    QString out;
    auto num = [](double v) { return QString::number(std::round(v * 100) / 100, 'g', 10); };
    std::function<void(const Node &, int)> line = [&](const Node &n, int depth) {
        out += QString(depth * 2, u' ');
        out += QString::fromLatin1(n.spec().kind());
        const QRectF f = n.frame();
        out += QStringLiteral(" (%1,%2 %3x%4)").arg(num(f.x()), num(f.y()), num(f.width()), num(f.height()));
        if (n.spec().identity)
            out += QStringLiteral(" id=") + n.spec().identity->describe();
        if (n.hasProp(Prop::appear) && (n.value(Prop::appear, 1) != 1 || n.leaving_))
            out += QStringLiteral(" appear=") + num(n.value(Prop::appear, 1));
        if (n.leaving_)
            out += QStringLiteral(" leaving");
        n.spec().describe(n, out);
        out += u'\n';
        for (const auto &c : n.children_)
            line(*c, depth + 1);
    };
    if (root_)
        line(*root_, 0);
    return out;
}

// ---- Contexts -----------------------------------------------------------------------------------

QSizeF LayoutContext::sizeOf(Node &node, const Proposal &proposal)
{
    if (node.sizeCacheGeneration_ != generation || node.sizeCache_.empty()) {
        node.sizeCache_.clear();
        node.sizeCacheGeneration_ = generation;
    }
    for (const auto &entry : node.sizeCache_)
        if (entry.proposal == proposal)
            return entry.size;
    QSizeF size = node.spec().sizeThatFits(node, proposal, *this);
    size = QSizeF(std::max(0.0, size.width()), std::max(0.0, size.height()));
    if (node.sizeCache_.size() >= 6)
        node.sizeCache_.erase(node.sizeCache_.begin());
    node.sizeCache_.push_back({proposal, size});
    return size;
}

Proposal LayoutContext::answeredProposal(const Node &node, QSizeF size) const
{
    if (node.sizeCacheGeneration_ == generation)
        for (auto it = node.sizeCache_.rbegin(); it != node.sizeCache_.rend(); ++it)
            if (std::abs(it->size.width() - size.width()) < 1e-9 && std::abs(it->size.height() - size.height()) < 1e-9)
                return it->proposal;
    return Proposal::of(size);
}

void LayoutContext::place(Node &child, const QRectF &rect)
{
    const Transaction saved = transaction;
    if (child.firedGeneration_ == tree.generation()) {
        transaction.animation = child.firedAnimation_;
        if (child.firedCompletion_)
            transaction.completion = child.firedCompletion_;
    }
    child.spec().adjustTransaction(transaction);
    std::optional<Animation> animation = transaction.disablesAnimations ? std::nullopt : transaction.animation;
    const bool fresh = !child.hasProp(Prop::x);
    const double values[4] = {rect.x(), rect.y(), rect.width(), rect.height()};
    const Prop keys[4] = {Prop::x, Prop::y, Prop::width, Prop::height};
    for (int i = 0; i < 4; ++i) {
        if (fresh)
            child.jumpProp(keys[i], values[i]);
        else
            child.setPropWith(keys[i], values[i], animation, transaction.completion);
    }
    child.spec().placeChildren(child, rect.size(), *this);
    transaction = saved;
}

void PaintContext::paintChildren(const Node &node)
{
    for (const auto &c : node.children())
        paintChild(*c);
}

void PaintContext::paintChild(const Node &child)
{
    if (damage && !touchesDamage(child, *damage))
        return;  // nothing of it is repainted
    const QRectF f = child.frame();
    if (!child.hasProp(Prop::appear) && !child.spec().changesPainterState()) {
        // Nothing to restore but the position: saving the whole painter state for every node
        // would cost more than the drawing of many of them.
        painter.translate(f.topLeft());
        child.spec().paint(child, *this);
        painter.translate(-f.topLeft());
        return;
    }
    painter.save();
    painter.translate(f.topLeft());
    if (child.hasProp(Prop::appear)) {
        const Transition *t = transitionOf(child);
        const Transition fallback = Transition::opacity();
        if (!t)
            t = &fallback;
        const double p = child.value(Prop::appear, 1);
        const TransitionEffect e = (child.isLeaving() ? t->removal : t->insertion).at(p);
        if (p < 1 || child.isLeaving()) {
            paintWithEffect(child, e, *this);
            painter.restore();
            return;
        }
    }
    child.spec().paint(child, *this);
    painter.restore();
}

QRectF PaintContext::damageInPainter() const
{
    if (!damage || damage->isEmpty())
        return {};
    bool invertible = false;
    const QTransform toLocal = painter.worldTransform().inverted(&invertible);
    if (!invertible)
        return {};
    return toLocal.mapRect(QRectF(damage->boundingRect()).adjusted(-1, -1, 1, 1));
}

bool PaintContext::damageLiesInside(const QPainterPath &path) const
{
    const QRectF local = damageInPainter();
    return !local.isEmpty() && path.contains(local);
}

// ---- Spec defaults ------------------------------------------------------------------------------

void Spec::apply(Node &, const Spec *, ReconcileContext &) const {}

QSizeF Spec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const
{
    // A modifier without layout of its own is as large as its content.
    if (Node *child = node.firstLiveChild())
        return ctx.sizeOf(*child, proposal);
    return {};
}

void Spec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    for (Node *child : node.liveChildren())
        ctx.place(*child, QRectF(QPointF(0, 0), size));
}

void Spec::paint(const Node &node, PaintContext &ctx) const { ctx.paintChildren(node); }

}  // namespace kit
