// Layout node kinds: stacks, spacers, frames, padding, overlays, alignment guides, fixed size and
// the geometry reader. The rules are written down in docs/kit.md.
#include "Kit/Layout.h"

#include "Kit/Tree.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kit {

namespace {

bool isFinite(std::optional<double> v) { return v && std::isfinite(*v); }

// Leaves treat an infinite offer like no offer: they take their ideal size.
std::optional<double> finiteOrIdeal(std::optional<double> v) { return isFinite(v) ? v : std::nullopt; }

}  // namespace

// ---- Alignment guides ---------------------------------------------------------------------------

double guideX(const Node &node, HAlign alignment, QSizeF size)
{
    for (const Node *n = &node; n; n = n->firstLiveChild()) {
        if (const auto *g = dynamic_cast<const AlignmentGuideSpec *>(&n->spec()); g && g->horizontal && *g->horizontal == alignment)
            return g->guide(size);
        if (!n->spec().isTransparent())
            break;
    }
    return defaultGuide(alignment, size.width());
}

double guideY(const Node &node, VAlign alignment, QSizeF size)
{
    for (const Node *n = &node; n; n = n->firstLiveChild()) {
        if (const auto *g = dynamic_cast<const AlignmentGuideSpec *>(&n->spec()); g && g->vertical && *g->vertical == alignment)
            return g->guide(size);
        if (!n->spec().isTransparent())
            break;
    }
    return defaultGuide(alignment, size.height());
}

// Places `child` of `childSize` in a container of `size` so that their alignment points meet.
static QPointF alignedOrigin(const Node &child, QSizeF childSize, QSizeF size, Alignment a)
{
    const double x = defaultGuide(a.horizontal, size.width()) - guideX(child, a.horizontal, childSize);
    const double y = defaultGuide(a.vertical, size.height()) - guideY(child, a.vertical, childSize);
    return {x, y};
}

// ---- Stacks -------------------------------------------------------------------------------------

StackSpec::StackSpec(Axis axis, StackOptions options, Elements kids) : axis(axis), options(options)
{
    children = std::move(kids);
}

bool StackSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const StackSpec &>(other);
    return axis == o.axis && options.alignment == o.options.alignment && options.spacing == o.options.spacing;
}

const char *StackSpec::kind() const
{
    return axis == Axis::z ? "ZStack" : axis == Axis::horizontal ? "HStack" : "VStack";
}

namespace {

bool takesSpace(const Node &n) { return !n.spec().isEmptyKind(); }

struct StackResult {
    std::vector<QSizeF> sizes;
    QSizeF total;
};

StackResult layoutLinear(Node &node, const StackSpec &spec, const Proposal &proposal, LayoutContext &ctx)
{
    const bool horizontal = spec.axis == Axis::horizontal;
    const std::vector<Node *> kids = node.liveChildren();
    StackResult result;
    result.sizes.assign(kids.size(), QSizeF());
    int spaced = 0;
    for (Node *k : kids)
        spaced += takesSpace(*k) ? 1 : 0;
    const double spacing = spec.options.spacing * std::max(0, spaced - 1);
    const std::optional<double> main = horizontal ? proposal.width : proposal.height;
    const std::optional<double> cross = horizontal ? proposal.height : proposal.width;
    auto offer = [&](double mainLength) {
        return horizontal ? Proposal{mainLength, cross} : Proposal{cross, mainLength};
    };
    auto mainOf = [&](QSizeF s) { return horizontal ? s.width() : s.height(); };
    auto crossOf = [&](QSizeF s) { return horizontal ? s.height() : s.width(); };

    if (!isFinite(main)) {
        // No (or unlimited) offer along the axis: every child at its ideal length.
        const Proposal ideal = horizontal ? Proposal{std::nullopt, cross} : Proposal{cross, std::nullopt};
        for (size_t i = 0; i < kids.size(); ++i)
            result.sizes[i] = ctx.sizeOf(*kids[i], ideal);
    } else {
        // Children are offered an equal share of what is left, the least flexible first and the
        // higher layout priorities before the lower ones, so fixed content gets its size and the
        // flexible rest (spacers last) shares the remainder.
        struct Entry {
            size_t index;
            double priority;
            double minimum;
            double flexibility;
        };
        std::vector<Entry> order;
        for (size_t i = 0; i < kids.size(); ++i) {
            const double lo = mainOf(ctx.sizeOf(*kids[i], offer(0)));
            const double hi = mainOf(ctx.sizeOf(*kids[i], offer(infinity)));
            order.push_back({i, kids[i]->spec().priority(), lo, hi - lo});
        }
        std::stable_sort(order.begin(), order.end(), [](const Entry &a, const Entry &b) {
            if (a.priority != b.priority)
                return a.priority > b.priority;
            return a.flexibility < b.flexibility;
        });
        double remaining = *main - spacing;
        for (size_t n = 0; n < order.size(); ++n) {
            const Entry &e = order[n];
            // Lower priorities keep at least their minimum.
            double reserved = 0;
            size_t sameGroup = 0;
            for (size_t m = n; m < order.size(); ++m) {
                if (order[m].priority < e.priority)
                    reserved += order[m].minimum;
                else
                    ++sameGroup;
            }
            const double share = std::max(0.0, (remaining - reserved) / double(sameGroup));
            result.sizes[e.index] = ctx.sizeOf(*kids[e.index], offer(share));
            remaining -= mainOf(result.sizes[e.index]);
        }
    }
    double length = spacing, thickness = 0;
    for (const QSizeF &s : result.sizes) {
        length += mainOf(s);
        thickness = std::max(thickness, crossOf(s));
    }
    result.total = horizontal ? QSizeF(length, thickness) : QSizeF(thickness, length);
    return result;
}

}  // namespace

QSizeF StackSpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const
{
    if (axis != Axis::z)
        return layoutLinear(node, *this, proposal, ctx).total;
    QSizeF total;
    for (Node *k : node.liveChildren())
        total = total.expandedTo(ctx.sizeOf(*k, proposal));
    return total;
}

void StackSpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    const std::vector<Node *> kids = node.liveChildren();
    if (axis == Axis::z) {
        for (Node *k : kids) {
            const QSizeF s = ctx.sizeOf(*k, Proposal::of(size));
            ctx.place(*k, QRectF(alignedOrigin(*k, s, size, options.alignment), s));
        }
        return;
    }
    // Shared out again by the offer that gave the stack this size: offered its own size, the
    // first of two flexible children would take half of it even where the second needs less.
    const StackResult r = layoutLinear(node, *this, ctx.answeredProposal(node, size), ctx);
    const bool horizontal = axis == Axis::horizontal;
    // The stack's content is laid out from its leading (top) edge; when it was given more room
    // than its content needs, the content is centred along the axis.
    double pos = horizontal ? (size.width() - r.total.width()) / 2 : (size.height() - r.total.height()) / 2;
    pos = std::max(0.0, pos);
    bool first = true;
    for (size_t i = 0; i < kids.size(); ++i) {
        Node &k = *kids[i];
        const QSizeF s = r.sizes[i];
        if (takesSpace(k)) {
            if (!first)
                pos += options.spacing;
            first = false;
        }
        QPointF origin;
        if (horizontal)
            origin = {pos, defaultGuide(options.alignment.vertical, size.height()) - guideY(k, options.alignment.vertical, s)};
        else
            origin = {defaultGuide(options.alignment.horizontal, size.width()) - guideX(k, options.alignment.horizontal, s), pos};
        ctx.place(k, QRectF(origin, s));
        pos += horizontal ? s.width() : s.height();
    }
}

// ---- Spacer -------------------------------------------------------------------------------------

QSizeF SpacerSpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &) const
{
    // A spacer stretches along its stack's axis (both axes outside a linear stack).
    std::optional<Axis> axis;
    for (const Node *p = node.parent(); p; p = p->parent()) {
        if (const auto *stack = dynamic_cast<const StackSpec *>(&p->spec())) {
            axis = stack->axis;
            break;
        }
        if (!p->spec().isTransparent())
            break;
    }
    auto along = [&](std::optional<double> offered) {
        if (!offered)
            return minLength;
        return std::max(minLength, *offered);
    };
    if (axis == Axis::horizontal)
        return {along(proposal.width), 0};
    if (axis == Axis::vertical)
        return {0, along(proposal.height)};
    return {along(finiteOrIdeal(proposal.width)), along(finiteOrIdeal(proposal.height))};
}

// ---- Frames -------------------------------------------------------------------------------------

bool FrameSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const FrameSpec &>(other);
    return width == o.width && height == o.height && alignment == o.alignment;
}

QSizeF FrameSpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const
{
    Node *child = node.firstLiveChild();
    const Proposal inner{width ? width : proposal.width, height ? height : proposal.height};
    const QSizeF c = child ? ctx.sizeOf(*child, inner) : QSizeF();
    return {width ? *width : c.width(), height ? *height : c.height()};
}

void FrameSpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    if (Node *child = node.firstLiveChild()) {
        const QSizeF c = ctx.sizeOf(*child, Proposal::of(size));
        ctx.place(*child, QRectF(alignedOrigin(*child, c, size, alignment), c));
    }
}

void FrameSpec::describe(const Node &, QString &out) const
{
    if (width)
        out += QStringLiteral(" width=") + QString::number(*width);
    if (height)
        out += QStringLiteral(" height=") + QString::number(*height);
}

bool FlexFrameSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const FlexFrameSpec &>(other);
    const auto &a = limits, &b = o.limits;
    return a.minWidth == b.minWidth && a.idealWidth == b.idealWidth && a.maxWidth == b.maxWidth
           && a.minHeight == b.minHeight && a.idealHeight == b.idealHeight && a.maxHeight == b.maxHeight
           && a.alignment == b.alignment;
}

namespace {

// One axis of a flexible frame: the offer clamped to [min, max] goes to the child; the frame
// then takes the child's length, pushed up to `min` and, where `max` is set, out to the offer.
std::optional<double> clampOffer(std::optional<double> offer, std::optional<double> lo, std::optional<double> ideal,
                                 std::optional<double> hi)
{
    if (!offer)
        offer = ideal;
    if (!offer)
        return std::nullopt;
    double v = *offer;
    if (hi)
        v = std::min(v, *hi);
    if (lo)
        v = std::max(v, *lo);
    return v;
}

double resolveAxis(double child, std::optional<double> offer, std::optional<double> lo, std::optional<double> hi)
{
    double result = child;
    const double offered = offer ? *offer : child;
    if (lo)
        result = std::max(*lo, std::min(result, offered));
    // A frame that stretches takes the offer and no more: content larger than the offer (a line
    // kept at its natural length) overflows the frame from its alignment instead of widening it
    // and everything around it.
    if (hi)
        result = std::min(*hi, std::max(offered, lo.value_or(offered)));
    if (!std::isfinite(result))
        result = child;
    return result;
}

}  // namespace

QSizeF FlexFrameSpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const
{
    const auto &l = limits;
    const Proposal inner{clampOffer(proposal.width, l.minWidth, l.idealWidth, l.maxWidth),
                         clampOffer(proposal.height, l.minHeight, l.idealHeight, l.maxHeight)};
    Node *child = node.firstLiveChild();
    const QSizeF c = child ? ctx.sizeOf(*child, inner) : QSizeF();
    return {resolveAxis(c.width(), inner.width, l.minWidth, l.maxWidth),
            resolveAxis(c.height(), inner.height, l.minHeight, l.maxHeight)};
}

void FlexFrameSpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    if (Node *child = node.firstLiveChild()) {
        const QSizeF c = ctx.sizeOf(*child, Proposal::of(size));
        ctx.place(*child, QRectF(alignedOrigin(*child, c, size, limits.alignment), c));
    }
}

// ---- Padding, fixed size, overlay --------------------------------------------------------------

QSizeF PaddingSpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const
{
    Node *child = node.firstLiveChild();
    auto inset = [](std::optional<double> v, double amount) -> std::optional<double> {
        if (!v)
            return v;
        return std::max(0.0, *v - amount);
    };
    const QSizeF c = child ? ctx.sizeOf(*child, {inset(proposal.width, edges.width()), inset(proposal.height, edges.height())})
                           : QSizeF();
    return {std::max(0.0, c.width() + edges.width()), std::max(0.0, c.height() + edges.height())};
}

void PaddingSpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    if (Node *child = node.firstLiveChild())
        ctx.place(*child, QRectF(edges.leading, edges.top, std::max(0.0, size.width() - edges.width()),
                                 std::max(0.0, size.height() - edges.height())));
}

QSizeF FixedSizeSpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const
{
    Node *child = node.firstLiveChild();
    if (!child)
        return {};
    return ctx.sizeOf(*child, {horizontal ? std::nullopt : proposal.width, vertical ? std::nullopt : proposal.height});
}

void FixedSizeSpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    if (Node *child = node.firstLiveChild())
        ctx.place(*child, QRectF(QPointF(0, 0), size));
}

QSizeF sizeOfContent(Node &node, const Proposal &proposal, LayoutContext &ctx)
{
    Node *content = node.firstLiveChild();
    return content ? ctx.sizeOf(*content, proposal) : QSizeF();
}

void placeOverContent(Node &node, QSizeF size, Alignment alignment, LayoutContext &ctx)
{
    Node *content = node.firstLiveChild();
    for (Node *k : node.liveChildren()) {
        if (k == content) {
            ctx.place(*k, QRectF(QPointF(0, 0), size));
        } else {
            const QSizeF s = ctx.sizeOf(*k, Proposal::of(size));
            ctx.place(*k, QRectF(alignedOrigin(*k, s, size, alignment), s));
        }
    }
}

QSizeF OverlaySpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const
{
    // The content (the first child) decides the size; the decoration is offered exactly that.
    return sizeOfContent(node, proposal, ctx);
}

void OverlaySpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    placeOverContent(node, size, alignment, ctx);
}

// ---- Geometry reader ----------------------------------------------------------------------------

QSizeF GeometryReaderSpec::sizeThatFits(Node &, const Proposal &proposal, LayoutContext &) const
{
    return {finiteOrIdeal(proposal.width).value_or(10), finiteOrIdeal(proposal.height).value_or(10)};
}

void GeometryReaderSpec::placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const
{
    // The content depends on the size, so it is described and reconciled here, in layout, in the
    // transaction the layout runs in.
    ReconcileContext rc{ctx.tree, node.environment(), ctx.transaction, ctx.now, false, ctx.tree.generation()};
    ctx.tree.reconcileChild(node, rc, Elements{content(size)});
    if (Node *child = node.firstLiveChild()) {
        const QSizeF c = ctx.sizeOf(*child, Proposal::of(size));
        ctx.place(*child, QRectF(QPointF(0, 0), c));
    }
}

}  // namespace kit
