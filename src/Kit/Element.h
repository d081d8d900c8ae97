#pragma once

#include "Kit/Animation.h"
#include "Kit/AnyValue.h"
#include "Kit/Color.h"
#include "Kit/Env.h"
#include "Kit/Font.h"
#include "Kit/Geometry.h"
#include "Kit/Keyframes.h"
#include "Kit/Loop.h"
#include "Kit/Shape.h"
#include "Kit/Transaction.h"
#include "Kit/Transition.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <typeinfo>
#include <vector>

namespace kit {

class Node;
class Spec;
struct ReconcileContext;
struct LayoutContext;
struct PaintContext;

// A description: an immutable tree of Kit primitives and modifiers that a view returns from its
// body. Cheap to copy (shared). An empty Element takes a place among its siblings but draws
// nothing and has no size, so conditional content keeps the positions of what follows it.
class Element {
public:
    Element();
    explicit Element(std::shared_ptr<const Spec> spec) : spec_(std::move(spec)) {}
    const std::shared_ptr<const Spec> &spec() const { return spec_; }

    // Layout
    Element frame(std::optional<double> width, std::optional<double> height,
                  Alignment alignment = Alignment::center()) const;
    struct Limits {
        std::optional<double> minWidth, idealWidth, maxWidth;
        std::optional<double> minHeight, idealHeight, maxHeight;
        Alignment alignment = Alignment::center();
    };
    Element frame(const Limits &limits) const;
    Element maxFrame(Alignment alignment = Alignment::center()) const;  // maxWidth/Height infinite
    Element padding(const Edges &edges) const;
    Element padding(double all) const { return padding(Edges::all(all)); }
    Element offset(double x, double y) const;
    Element overlay(Element decoration, Alignment alignment = Alignment::center()) const;
    Element background(Element decoration, Alignment alignment = Alignment::center()) const;
    // Replaces this element's alignment point along one axis, computed from its size.
    Element alignmentGuide(HAlign which, std::function<double(QSizeF)> guide) const;
    Element alignmentGuide(VAlign which, std::function<double(QSizeF)> guide) const;
    // Lays the content out at its ideal size along the chosen axes, whatever is offered.
    Element fixedSize(bool horizontal = true, bool vertical = true) const;
    Element layoutPriority(double priority) const;

    // Identity: siblings with an id are matched by it instead of by position.
    template <typename T>
    Element id(const T &identity) const
    {
        return withId(AnyValue::of(identity));
    }

    // Environment
    Element font(const Font &font) const;
    Element foreground(const Color &color) const;
    // Texts inside that are offered less than their width first shrink, down to `factor` of their
    // font size, and are cut only below that.
    Element minimumScaleFactor(double factor) const;
    // For the multi-line texts inside: at most `lines` lines (none: unlimited), aligned so.
    Element lineLimit(std::optional<int> lines) const;
    Element multilineTextAlignment(TextAlignment alignment) const { return environment(env::multilineTextAlignment, alignment); }
    // How texts and symbols inside change content in an animated change (a cross-fade by default).
    Element contentTransition(ContentTransition transition) const { return environment(env::contentTransition, transition); }
    template <typename T>
    Element environment(const EnvKey<T> &key, T value) const
    {
        return withEnvironment(&key, AnyValue::of(std::move(value)));
    }

    // Animation. `animation(anim, value)` animates every change inside this element with `anim`
    // when `value` differs from the one of the previous evaluation; several may be stacked, and
    // the innermost whose value changed wins. A transaction that disables animations beats them
    // all. `animated(anim)` gives this one modifier's own properties a curve of their own (blur and
    // opacity of one layer apart); `transaction(fn)` edits the transaction for everything inside.
    template <typename T>
    Element animation(std::optional<Animation> animation, const T &value) const
    {
        return withImplicitAnimation(animation, AnyValue::of(value));
    }
    Element animated(std::optional<Animation> animation) const;
    Element transaction(std::function<void(Transaction &)> edit) const;

    // Painting modifiers
    Element clipShape(AnyShape shape) const;
    Element clipped() const { return clipShape(Rectangle()); }
    Element opacity(double opacity) const;
    Element transition(const Transition &transition) const;

    // Interaction. Handlers receive points in this element's own coordinates. The innermost
    // element under the pointer with a press, tap, drag or button handler takes a press.
    Element allowsHitTesting(bool allowed) const;
    Element contentShape(AnyShape shape) const;    // hits anywhere in the shape, nowhere else
    Element onHover(std::function<void(bool inside)> handler) const;
    Element onTap(std::function<void(QPointF location)> handler) const;
    Element onPress(std::function<void(bool pressed, QPointF location)> handler) const;
    // A drag starts once the pointer moved `minimumDistance` points from the press; with 0 it
    // starts at the press itself (a click is a drag of no length: one change at the press
    // location) and its end is reported on every release.
    Element onDrag(std::function<void(const struct DragValue &)> changed, std::function<void(const struct DragValue &)> ended,
                   double minimumDistance = 2) const;
    Element cursor(Qt::CursorShape shape) const;
    Element tooltip(const QString &text) const;
    Element contextMenu(std::vector<struct MenuItem> items) const;
    Element disabled(bool disabled = true) const { return environment(env::isEnabled, !disabled); }
    // Names of a control as the tree query reports it (drawnItems): what it says to a screen
    // reader, and a name for developers only.
    Element accessibilityLabel(const QString &text) const;
    Element debugName(const QString &text) const;
    // Laid out as usual but never drawn, and deaf to the pointer (a measuring copy).
    Element hidden(bool hidden = true) const;
    // Runs `fn` with the size layout gave this element: once after it first appears and after
    // every layout that changed it (the size layout decided, not the one on screen mid-animation).
    Element onSizeChange(std::function<void(QSizeF)> fn) const;

    // Environment reactions and work. onChange runs after the update in which `value` changed
    // (and, with `initial`, once after the element first appears) with the old and new values.
    template <typename T>
    Element onChange(const T &value, std::function<void(const T &oldValue, const T &newValue)> action, bool initial = true) const
    {
        return withOnChange(AnyValue::of(value), [action](const AnyValue &o, const AnyValue &n) {
            const T *ov = o.get<T>();
            const T *nv = n.get<T>();
            action(ov ? *ov : *nv, *nv);
        }, initial);
    }
    // Run once after the element first appears in the tree, and once after it has gone (removed,
    // its removal transition over, or the whole tree torn down). Disappearance is reported on the
    // main queue, since it may come while the tree is being changed.
    Element onAppear(std::function<void()> action) const;
    Element onDisappear(std::function<void()> action) const;
    // Starts `body` when the element appears and again whenever `key` changes, cancelling the
    // previous run (and when the element goes away).
    template <typename T>
    Element task(const T &key, std::function<void(class Task &)> body) const
    {
        return withTask(AnyValue::of(key), std::move(body));
    }

    // Effects. Each draws its subtree as one layer where it needs to (blur, shadow, mask,
    // threshold); scale and rotation transform the drawing and the hit testing, not the layout.
    Element blur(double radius) const;  // Gaussian, radius in points (0 changes nothing)
    Element shadow(Color color, double radius, double x = 0, double y = 0) const;
    Element scaleEffect(double scale, UnitPoint anchor = UnitPoint::center()) const;
    Element scaleEffect(double sx, double sy, UnitPoint anchor) const;
    // Turns the content about the vertical axis through `anchor`, seen in perspective (the eye
    // twice the larger side away, divided by `perspective`).
    Element rotation3D(double degrees, UnitPoint anchor = UnitPoint::center(), double perspective = 1) const;
    // Keeps the content only where `mask` (laid out over it) has alpha.
    Element mask(Element mask, Alignment alignment = Alignment::center()) const;
    // Keeps pixels whose alpha lies in [min, max] as solid `color`, drops the rest: blurred shapes
    // drawn through it merge like liquid.
    Element alphaThreshold(double min, double max, Color color) const;
    // Shows a kept picture of the subtree while it rests (see KeptSpec); costs a layer's memory.
    Element keptWhileStill(bool enabled = true) const;
    // The symbol bounce: each change of `trigger` squeezes the content and springs it back about
    // its centre (downwards first when `downward`).
    template <typename T>
    Element bounce(const T &trigger, bool downward = false) const
    {
        return withBounce(AnyValue::of(trigger), downward);
    }

    // Loops: values of this content that move for ever with the clock (Kit/Loop.h), drawn on every
    // frame by the frame driver without describing any view again, and only while the tree is
    // shown (Tree::setShown). Declared again equal, a loop continues; removed, it stops and the
    // value is the one layout and animation give. Widths, heights, painter values and gradient
    // stops belong to the content's drawing: the node at the end of its chain of single children
    // (the shape that frames and paddings wrap), or the first container on that chain; a looping
    // size resizes it about the centre of the rectangle layout gave it. Offsets and opacity move
    // and fade the whole content. `loop(target, nullopt)` declares none, keeping the tree's shape.
    Element loops(LoopBindings bindings) const;
    Element loop(LoopTarget target, std::optional<Loop> loop) const;

    // Elements are compared by description when reconciled.
    bool isEmpty() const;

private:
    Element withBounce(AnyValue trigger, bool downward) const;
    Element withOnChange(AnyValue value, std::function<void(const AnyValue &, const AnyValue &)> action, bool initial) const;
    Element withTask(AnyValue key, std::function<void(class Task &)> body) const;
    Element withId(AnyValue id) const;
    Element withEnvironment(const void *key, AnyValue value) const;
    Element withImplicitAnimation(std::optional<Animation> animation, AnyValue value) const;
    std::shared_ptr<const Spec> spec_;
};

using Elements = std::vector<Element>;

// ---- Primitives -------------------------------------------------------------------------------

Element Empty();
// A flexible gap in a stack; at least `minLength` along the stack's axis.
Element Spacer(double minLength = 0);

struct StackOptions {
    Alignment alignment = Alignment::center();
    double spacing = 8;  // between neighbours (H/V stacks)
};
Element ZStack(const StackOptions &options, Elements children);
Element HStack(const StackOptions &options, Elements children);
Element VStack(const StackOptions &options, Elements children);
template <typename... E>
Element ZStack(const StackOptions &options, E... children)
{
    return ZStack(options, Elements{Element(std::move(children))...});
}
template <typename... E>
Element HStack(const StackOptions &options, E... children)
{
    return HStack(options, Elements{Element(std::move(children))...});
}
template <typename... E>
Element VStack(const StackOptions &options, E... children)
{
    return VStack(options, Elements{Element(std::move(children))...});
}

struct StrokeStyle {
    double width = 1;
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::MiterJoin;
    double miterLimit = 10;
    friend bool operator==(const StrokeStyle &, const StrokeStyle &) = default;
};

// A shape filling (or stroking) the rectangle layout gives it.
Element Fill(AnyShape shape, Paint paint);
Element Stroke(AnyShape shape, Paint paint, StrokeStyle style = {});
inline Element Fill(Color color) { return Fill(Rectangle(), color); }

// One line of text in the environment's font and foreground colour, truncated at the tail when
// offered less than its width.
Element Text(const QString &text);
Element Text(const QString &text, const Font &font, std::optional<Color> color = std::nullopt);
// Text that wraps at word boundaries to the width it is offered, up to `.lineLimit(n)` lines
// (the last allowed one cut with an ellipsis), its lines aligned by `.multilineTextAlignment`.
// It takes its widest line and lines × line height (measureText gives the same size).
Element MultilineText(const QString &text);
Element MultilineText(const QString &text, const Font &font, std::optional<Color> color = std::nullopt);

// A symbol by its design name (see SymbolTable), `size` points high, in the foreground colour.
Element Symbol(const QString &name, double size = 13, Weight weight = Weight::regular,
               std::optional<Color> tint = std::nullopt);

enum class ContentMode { fit, fill };
struct ImageOptions {
    bool resizable = true;            // scale to the offered size; otherwise its own size in points
    ContentMode mode = ContentMode::fill;
    std::optional<QRectF> crop;       // part of the source, in source pixels
    bool smooth = true;
    double pointScale = 1;            // source pixels per point when not resizable
};
Element Image(const QImage &image, ImageOptions options = {});

// A hand-drawn part: the function paints into the given rectangle with the painter's state
// saved around it. `key` identifies what it draws: the painter repaints only when its key or the
// animated values change. `values` animate like a shape's data and arrive at each paint.
using PainterFn = std::function<void(QPainter &, const QRectF &, const std::vector<double> &values)>;
Element Painter(AnyValue key, std::vector<double> values, PainterFn paint,
                std::optional<QSizeF> idealSize = std::nullopt);

// A glass material in `shape`. There is no glass on this platform: it draws the plain fill and
// sets env::glassUsed to false for what is inside.
Element Glass(AnyShape shape, Color fallback);

// Content built from the size the reader is offered (it takes all of it).
Element GeometryReader(std::function<Element(QSizeF)> content);

// Content built from a number that follows `track` each time `trigger` changes (it shows the
// track's initial value until the first change, and the final value after the track ends).
Element KeyframeAnimator(AnyValue trigger, KeyframeTrack track, std::function<Element(double)> content);

// Content described again at every multiple of `period` seconds of wall-clock time (a clock, a
// progress bar): `content` receives the wall-clock seconds of that instant. A period of 0 describes
// it on every frame while it is shown (for motion computed from the clock, such as loops).
Element Timeline(double period, std::function<Element(double wallSeconds)> content);

// Content described from a number: when `value` changes in an animated change (a transaction or
// an implicit animation above), `content` is described again on every frame with the number on
// screen, springs overshooting included; once it rests, only when `value` changes.
Element Animatable(double value, std::function<Element(double presented)> content);

// An indeterminate progress indicator: a white arc turning once a second, `size` points across.
Element Spinner(double size = 14);

// Picks one of two branches; the two are different positions, so switching transitions.
inline Element If(bool condition, Element then, Element otherwise = Element())
{
    return condition ? then : otherwise;
}

// ---- Views -------------------------------------------------------------------------------------

// A view is any value with `Element body(const Env &) const`. Its body is re-evaluated when the
// view value changes (values that compare equal are not re-evaluated) or when an observed model
// field that the body read changes.
template <typename V>
concept ViewType = requires(const V &v, const Env &env) {
    { v.body(env) } -> std::convertible_to<Element>;
};

template <ViewType V>
Element view(V value);

// A view made from a function; it is re-evaluated whenever its parent is, and when what it read
// changes.
Element Observe(std::function<Element(const Env &)> body);

// ---- Specs (for Kit's own node kinds) -----------------------------------------------------------

// The description of one node kind. A Spec is immutable once built; the retained Node keeps the
// presentation state. Reconcile, layout and paint are separate passes, each with its context.
class Spec {
public:
    virtual ~Spec() = default;
    virtual const char *kind() const = 0;
    // The same kind of description with equal properties (children are compared separately).
    virtual bool sameProperties(const Spec &other) const = 0;
    // Pushes this description's properties into its node: animated targets, cached layouts.
    // `previous` is the description the node had (null for a new node). It may edit `ctx`, which
    // is what the children will be reconciled with.
    virtual void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const;
    // The transaction for this node's layout and everything inside it.
    virtual void adjustTransaction(Transaction &transaction) const {}
    // The transition this description gives its node when inserted or removed.
    virtual const Transition *transition() const { return nullptr; }
    // The size this node takes for a proposal.
    virtual QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const;
    // Places the children inside the node's own rectangle (0, 0, size).
    virtual void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const;
    // Paints the node and its subtree in its own coordinates (origin at its top-left corner).
    virtual void paint(const Node &node, PaintContext &ctx) const;
    // Extra words for the text dump.
    virtual void describe(const Node &node, QString &out) const {}
    // A component evaluates its body during reconciliation.
    virtual bool isComponent() const { return false; }
    virtual Element evaluate(const Env &env) const { return Element(); }
    // Whether a component run every frame (Tree::runEveryFrame) still needs frames at `now`.
    virtual bool wantsFrames(const Node &node, double now) const { return false; }
    // A component whose body depends on its node's retained state (a running keyframe track).
    virtual Element evaluateAt(const Node &node, const Env &env) const { return evaluate(env); }
    // The environment seen by the children.
    virtual Env childEnvironment(const Env &env) const { return env; }
    // Flexibility in a stack: layout priority.
    virtual double priority() const { return 0; }
    virtual bool isSpacer() const { return false; }
    // A wrapper without layout or look of its own (identity, environment, animation): alignment
    // guides and spacers see through it.
    virtual bool isTransparent() const { return false; }
    // The empty element: it takes a position but no space (no stack spacing either).
    virtual bool isEmptyKind() const { return false; }
    // Its children are described from its size and reconciled in layout (a geometry reader), not
    // with its description.
    virtual bool reconcilesChildrenInLayout() const { return false; }

    // Whether the node draws nothing at all now (its content faded out or hidden), so that effects
    // around it need no layer.
    virtual bool drawsNothing(const Node &node) const { return false; }
    // Whether the node lays ink over ink it drew itself (a shadow under its content, a drawing by
    // hand), so that a fade of it must be composited as one picture rather than given to the painter.
    virtual bool overlapsItself(const Node &node) const { return false; }

    // Whether paint() leaves the painter's state (clip, opacity, transform) changed, so that the
    // caller must save and restore around it. Containers and most leaves do not.
    virtual bool changesPainterState() const { return true; }

    // Hit testing: where a point in this node's coordinates lands in its children's parent space
    // (the inverse of what paint does to them), whether the node takes hits now, and whether a
    // leaf covers the point.
    virtual QPointF toChildCoordinates(const Node &node, QPointF p) const { return p; }
    virtual bool allowsHits(const Node &node) const { return true; }
    virtual bool containsPoint(const Node &node, QPointF local) const { return false; }

    // A copy whose own animated properties move with `animation` (null where the kind has none).
    virtual std::shared_ptr<Spec> withOwnAnimation(std::optional<Animation> animation) const { return nullptr; }

    // A type tag for matching: two specs of one kind and one view type match by position.
    virtual const std::type_info &matchType() const { return typeid(*this); }

    Elements children;
    std::optional<AnyValue> identity;
};

}  // namespace kit

#include "Kit/ElementView.h"
