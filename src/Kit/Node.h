#pragma once

#include "Kit/Animator.h"
#include "Kit/Damage.h"
#include "Kit/Element.h"

#include "Base/Observed.h"

#include <any>
#include <map>
#include <memory>
#include <vector>

namespace kit {

class Tree;
struct LayerCache;

// Keys of a node's animated properties. Each kind uses the ones it needs; the frame is every node's.
enum class Prop : int {
    x, y, width, height,
    opacity, blur,
    offsetX, offsetY,
    scaleX, scaleY, rotationY,
    shadowRadius, shadowX, shadowY, shadowOpacity,
    colorR, colorG, colorB, colorA,
    appear,   // transition progress: 0 removed, 1 present
    content,  // content transition progress: 0 showing the old content, 1 the new
    data0,    // first of a shape's or painter's animatable numbers; data0 + i for the i-th
};
inline Prop dataProp(int i) { return Prop(int(Prop::data0) + i); }

// The retained counterpart of a description: where it is, what it shows right now, and the state
// that must outlive re-evaluation (animations, hover, a component's observation, a task).
class Node {
public:
    Node(Tree &tree, Node *parent, std::shared_ptr<const Spec> spec);
    ~Node();
    Node(const Node &) = delete;
    Node &operator=(const Node &) = delete;

    Tree &tree() const { return tree_; }
    Node *parent() const { return parent_; }
    const Spec &spec() const { return *spec_; }
    const std::shared_ptr<const Spec> &specPtr() const { return spec_; }
    const std::vector<std::unique_ptr<Node>> &children() const { return children_; }
    // Children taking part in layout (not leaving).
    std::vector<Node *> liveChildren() const;
    Node *firstLiveChild() const;

    // Presentation values at the tree's current time.
    double value(Prop prop, double fallback) const;
    double target(Prop prop, double fallback) const;
    QRectF frame() const;         // presented, in the parent's coordinates
    QRectF targetFrame() const;   // where layout put it
    QSizeF size() const { return frame().size(); }
    // Presented frame in the tree's coordinates (offsets of ancestors included, effects not).
    QRectF frameInTree() const;
    bool isAnimating() const;
    bool isLeaving() const { return leaving_; }
    // The tree's change stamp (Tree::changeStamp) when the node last changed in itself: its
    // description's properties, its children, or a property's target or value set from outside
    // an animation's own motion.
    uint64_t changedAt() const { return changedAt_; }
    // The latest changedAt of the node and everything under it.
    uint64_t subtreeChangedAt() const { return subtreeChangedAt_; }
    void noteChanged();
    const Env &environment() const { return env_; }

    // Sets an animated property: with the context's animation (or the modifier's own curve) when the
    // node already existed, at once when it is new.
    void setProp(Prop prop, double value, const ReconcileContext &ctx,
                 const std::optional<std::optional<Animation>> &own = std::nullopt);
    void setPropWith(Prop prop, double value, const std::optional<Animation> &animation,
                     std::shared_ptr<void> completion = {});
    void jumpProp(Prop prop, double value);
    bool hasProp(Prop prop) const { return props_.count(int(prop)) != 0; }

    // The loops that drive some of this node's presented values (null for none).
    void setLoops(std::shared_ptr<const LoopBindings> loops);
    bool hasLoops() const { return loops_ != nullptr; }
    // The loops in force now: null when there are none or the tree is not shown.
    const LoopBindings *runningLoops() const;

    // Spec-specific retained state. Descriptions and painting, which see the node as const, keep
    // theirs here too: views through kit::viewState (Kit/ViewState.h).
    mutable std::any state;
    // The offscreen layer this node's effect drew last, kept while it can be shown again
    // (Layers.h); null until an effect keeps one.
    mutable std::unique_ptr<LayerCache> layerCache;
    // What the subtree covered at the tree's last tracked paint (Tree::takeDamage).
    mutable DrawnRecord drawn;

private:
    friend class Tree;
    friend struct LayoutContext;
    Animator &animator(Prop prop, double initial);
    double animatedValue(Prop prop, double fallback) const;
    bool stepAnimations(double now);

    Tree &tree_;
    Node *parent_;
    std::shared_ptr<const Spec> spec_;
    std::vector<std::unique_ptr<Node>> children_;
    std::map<int, Animator> props_;
    std::shared_ptr<const LoopBindings> loops_;
    Env env_;
    bool created_ = true;       // true until its first reconciliation ends
    bool leaving_ = false;      // removed, finishing its removal transition
    Node *transitionNode_ = nullptr;  // the node carrying the transition of this one
    uint64_t firedGeneration_ = 0;    // an implicit animation fired here in this update
    std::optional<Animation> firedAnimation_;
    std::shared_ptr<void> firedCompletion_;
    vesk::ObservationTracking observation_;
    bool dirty_ = false;
    uint64_t changedAt_ = 0;
    uint64_t subtreeChangedAt_ = 0;
    void stamp(uint64_t at);
    struct SizeCache {
        Proposal proposal;
        QSizeF size;
    };
    std::vector<SizeCache> sizeCache_;
    uint64_t sizeCacheGeneration_ = 0;
};

// The state of a reconciliation pass.
struct ReconcileContext {
    Tree &tree;
    Env env;
    Transaction transaction;
    double now = 0;
    bool forceEvaluate = false;  // the environment changed: components re-evaluate
    uint64_t generation = 0;

    // The animation for a property change here (none when animations are disabled).
    std::optional<Animation> animation() const
    {
        if (transaction.disablesAnimations)
            return std::nullopt;
        return transaction.animation;
    }
};

// The state of a layout pass.
struct LayoutContext {
    Tree &tree;
    Transaction transaction;
    uint64_t generation = 0;
    double now = 0;

    QSizeF sizeOf(Node &node, const Proposal &proposal);
    // The proposal this pass last answered with `size` for `node` (the offer its parent placed it
    // by), or `size` itself as a proposal when none did.
    Proposal answeredProposal(const Node &node, QSizeF size) const;
    // Gives `child` its rectangle in its parent's coordinates and lays out its children.
    void place(Node &child, const QRectF &rect);
};

// The state of a paint pass.
struct PaintContext {
    QPainter &painter;
    double now = 0;
    double scale = 1;  // device pixels per point of the target
    // The device pixels being repainted, when only those are (Tree::paintDamage): subtrees that
    // reach none of them are skipped. Layers drawn inside have none.
    const QRegion *damage = nullptr;
    // Paints `child` translated to its frame (and its own effects applied).
    void paintChild(const Node &child);
    void paintChildren(const Node &node);
    // Whether `path` (in the painter's coordinates) holds every pixel being repainted, a pixel's
    // breadth inside its edge: clipping to it would change none of them.
    bool damageLiesInside(const QPainterPath &path) const;
    // The rectangle in the painter's coordinates that covers every pixel being repainted.
    QRectF damageInPainter() const;
};

}  // namespace kit
