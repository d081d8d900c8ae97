#pragma once

#include "Kit/Element.h"
#include "Kit/FrameDriver.h"
#include "Kit/Interaction.h"
#include "Kit/Node.h"

#include "Base/Clock.h"
#include "Base/MainQueue.h"
#include "Base/Signal.h"

#include <QImage>
#include <QSizeF>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace kit {

// A retained node tree for one root description, at one size. It reconciles new descriptions,
// re-evaluates views whose observed reads changed (on the next turn of the main queue, in the
// transaction of the change), lays out, animates on the shared frame driver and paints into any
// QPainter, a QImage or a text dump. Main thread only.
class Tree {
public:
    explicit Tree(QSizeF size = {});
    ~Tree();
    Tree(const Tree &) = delete;
    Tree &operator=(const Tree &) = delete;

    // Reconciles `root` against the tree now, animating with the current transaction.
    void setRoot(Element root);
    void setSize(QSizeF size);
    QSizeF size() const { return size_; }
    Node *root() const { return root_.get(); }

    // Re-evaluates the views invalidated since the last update, each in the transaction in force
    // when its model changed. Runs by itself on the main queue; tests may call it directly.
    void update();
    bool hasPendingUpdate() const { return !pending_.empty(); }

    // Presentation time (the application clock). One instant for all of a paint or a damage walk,
    // which read it for every value of every node.
    double now() const;
    bool isAnimating() const;
    // Requests a frame from the frame driver while anything moves (after changes and on frames).
    void scheduleFrameIfAnimating();

    // Whether the tree's host shows it (a window on screen; trees drawn into images always are).
    // Loops run only while it is shown. New trees are shown.
    void setShown(bool shown);
    bool isShown() const { return shown_; }
    bool runsLoops() const { return shown_ && !looping_.empty(); }
    // Whether nodes present their loops: while the tree is shown, and while a picture of it is
    // drawn even when it is not (a snapshot of a window off the screen shows what it would show).
    bool presentsLoops() const { return shown_ || painting_; }
    // View bodies described so far (components evaluated), for benchmarks and tests.
    uint64_t evaluationCount() const { return evaluations_; }

    void paint(QPainter &painter, double scale = 1) const;
    // The tree at `scale` device pixels per point, on transparent.
    QImage render(double scale = 1) const;
    // --- repainting only what changed, for a host that keeps its pixels between frames ---------
    // The device pixels at `scale` whose drawing may have changed since the last call (the whole
    // tree the first time, after a change of scale or size, and when something that cannot be
    // bounded changed), widened to cover whole layers; what the tree draws now becomes the
    // reference for the next call. Empty when nothing changed.
    QRegion takeDamage(double scale);
    // What takeDamage would return now, leaving the reference as it is.
    QRegion damage(double scale) const;
    // Paints the subtrees that reach into `damage` (device pixels, as takeDamage returned it)
    // into a painter already scaled to points and clipped to it, over pixels already cleared there.
    void paintDamage(QPainter &painter, double scale, const QRegion &damage) const;
    // Keeps `target` (device pixels at `scale`) showing the tree: clears and repaints only the
    // damage since the last call (all of it when `target` is new or of another size) and returns
    // it. The pixels equal those render(scale) gives.
    QRegion paintChanges(QImage &target, double scale);

    // One line per node: kind, presented frame, effects and details. Stable across runs.
    QString dump() const;

    // The first node (depth first) whose id equals `id`.
    template <typename T>
    Node *find(const T &id) const
    {
        return findId(AnyValue::of(id));
    }
    Node *findId(const AnyValue &id) const;

    // --- interaction -------------------------------------------------------------------------
    // Routes a pointer event: hover enter and leave, press, click, drag, context menu. Returns
    // whether a handler took it.
    bool handlePointer(const PointerEvent &event);
    // The nodes under `point`, outermost first, each with the point in its own coordinates.
    std::vector<Hit> hitTest(QPointF point) const;
    // Whether anything under `point` takes hits (for a host deciding where its window is solid).
    bool hitsSomething(QPointF point) const { return !hitTest(point).empty(); }
    // The cursor asked for under the pointer (the arrow where nothing asks).
    Qt::CursorShape cursor() const { return cursor_; }
    std::optional<QString> tooltipAt(QPointF point) const;
    vesk::Signal<Qt::CursorShape> cursorChanged;
    // A context menu was asked for (right button) at a position in the tree and on the screen.
    vesk::Signal<const std::vector<MenuItem> &, QPointF> contextMenuRequested;

    // Called from the host when it must repaint (a frame moved something, or the tree changed).
    vesk::Signal<> needsDisplay;

    // --- for specs --------------------------------------------------------------------------
    void invalidate(Node &node);
    void reconcileChild(Node &parent, ReconcileContext &ctx, const Elements &children);
    uint64_t generation() const { return generation_; }
    // Grows with every change to any node (Node::changedAt): a picture of a subtree drawn at one
    // stamp, none of whose nodes changed after it or moves, is still right.
    uint64_t changeStamp() const { return stamp_; }
    uint64_t nextChangeStamp() { return ++stamp_; }
    void forgetNode(Node &node);
    // Runs `fn` once the current update (reconcile and layout) has finished.
    void afterCommit(std::function<void()> fn) { afterCommit_.push_back(std::move(fn)); }
    // Re-evaluates `node` (a component) on every frame until its description reports it is done.
    void runEveryFrame(Node &node);
    // Something in the tree changed during this reconciliation (so layout must run).
    void noteChange() { ++changes_; }
    // An implicit animation at `node` fired in this update: its subtree lays out with it.
    void markAnimationFired(Node &node, const Transaction &transaction);
    void relayout(const Transaction &transaction);
    // A node declares loops (or no longer does), to be drawn every `frameInterval` seconds.
    void noteLooping(Node &node, bool looping, double frameInterval = FrameDriver::loopInterval);
    // An animation started somewhere in the tree, or a node began its removal: the next frame
    // steps the animations. Frames in which only loops move step nothing.
    void noteMotion() { motion_ = true; }

private:
    void runAfterCommit();
    static std::function<void(bool)> hoverLeaveOf(const Node &node);
    void updateHover(QPointF point);
    std::unique_ptr<Node> makeNode(Node *parent, const Element &element, ReconcileContext &ctx);
    void reconcile(Node &node, const Element &element, ReconcileContext &ctx, bool created);
    void reconcileChildren(Node &node, const Elements &children, ReconcileContext &ctx);
    void evaluateComponent(Node &node, ReconcileContext &ctx);
    void beginRemoval(std::unique_ptr<Node> node, Node &parent, size_t index, const ReconcileContext &ctx);
    void onFrame(double now);
    void requestFrame(bool loopsOnly);
    bool stepAll(Node &node, double now);
    void layout(const Transaction &transaction);

    QRect deviceRect(double scale) const;
    bool tracksAt(double scale) const;

    uint64_t changes_ = 0;
    // The reference of takeDamage: the scale and size it was taken at and the change stamp then.
    struct Tracked {
        bool valid = false;
        double scale = 0;
        QSizeF size;
        uint64_t stamp = 0;
    };
    Tracked tracked_;
    uint64_t stamp_ = 0;
    bool tearingDown_ = false;
    std::unique_ptr<Node> root_;
    QSizeF size_;
    uint64_t generation_ = 0;
    struct Pending {
        Node *node;
        Transaction transaction;
    };
    std::vector<Pending> pending_;
    std::vector<Node *> everyFrame_;
    std::map<const Node *, double> looping_;  // each looping node's frame interval
    // The interval of frames asked for the loops alone: the shortest that any loop asks for.
    double loopFrameInterval() const;
    bool shown_ = true;
    mutable bool painting_ = false;
    bool motion_ = true;
    bool loopFrame_ = false;  // the pending frame was asked for the loops alone
    // Holds now() at one instant while it lives (the outermost hold wins).
    class HeldNow {
    public:
        explicit HeldNow(const Tree &tree) : tree_(tree), owns_(!tree.heldNow_)
        {
            if (owns_)
                tree_.heldNow_ = vesk::appClock().now();
        }
        ~HeldNow()
        {
            if (owns_)
                tree_.heldNow_.reset();
        }
        HeldNow(const HeldNow &) = delete;
        HeldNow &operator=(const HeldNow &) = delete;

    private:
        const Tree &tree_;
        bool owns_;
    };
    mutable std::optional<double> heldNow_;
    uint64_t evaluations_ = 0;
    std::vector<std::function<void()>> afterCommit_;
    // Interaction state.
    std::vector<const Node *> hovered_;
    const Node *pressTarget_ = nullptr;
    QPointF pressStart_;
    bool dragging_ = false;
    std::optional<QPointF> pointer_;
    Qt::CursorShape cursor_ = Qt::ArrowCursor;
    vesk::WorkItem updateItem_;
    FrameDriver::Request frame_;
};

}  // namespace kit
