// Leaf node kinds: shapes, text, symbols, images and custom painters.
#include "Kit/Primitives.h"

#include "Kit/Modifiers.h"
#include "Kit/SymbolTable.h"
#include "Kit/SymbolWeight.h"
#include "Kit/Tree.h"

#include <array>
#include <cmath>

namespace kit {

namespace {

template <typename S, typename... A>
Element make(A &&...args)
{
    return Element(std::make_shared<const S>(std::forward<A>(args)...));
}

// Leaves take what they are offered, or `ideal` where nothing (or everything) is offered.
QSizeF offered(const Proposal &p, QSizeF ideal)
{
    auto pick = [](std::optional<double> v, double fallback) {
        return v && std::isfinite(*v) ? *v : fallback;
    };
    return {pick(p.width, ideal.width()), pick(p.height, ideal.height())};
}

void applyColor(Node &node, const Color &c, const ReconcileContext &ctx)
{
    node.setProp(Prop::colorR, c.r, ctx);
    node.setProp(Prop::colorG, c.g, ctx);
    node.setProp(Prop::colorB, c.b, ctx);
    node.setProp(Prop::colorA, c.a, ctx);
}

Color presentedColor(const Node &node)
{
    return {node.value(Prop::colorR, 0), node.value(Prop::colorG, 0), node.value(Prop::colorB, 0),
            node.value(Prop::colorA, 1)};
}

QString num(double v) { return QString::number(std::round(v * 1000) / 1000); }

}  // namespace

// ---- Shapes -------------------------------------------------------------------------------------

bool ShapeSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const ShapeSpec &>(other);
    return shape == o.shape && fillPaint == o.fillPaint && stroke == o.stroke;
}

void ShapeSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const
{
    applyShapeData(node, shape.data, ctx);
    if (const auto *color = std::get_if<Color>(&fillPaint))
        applyColor(node, *color, ctx);
}

QSizeF ShapeSpec::sizeThatFits(Node &, const Proposal &proposal, LayoutContext &) const
{
    return offered(proposal, QSizeF(10, 10));
}

void ShapeSpec::paint(const Node &node, PaintContext &ctx) const
{
    const QRectF rect(QPointF(0, 0), node.size());
    const QPainterPath path = shape.path(rect, presentedData(node, shape.data.size()));
    QBrush brush;
    if (std::holds_alternative<Color>(fillPaint))
        brush = QBrush(presentedColor(node).toQColor());
    else if (const LoopBindings *loops = node.runningLoops())
        brush = loopedGradient(std::get<LinearGradient>(fillPaint), *loops, ctx.now).brush(rect);
    else
        brush = brushFor(fillPaint, rect);
    if (!stroke) {
        // Where every pixel being repainted lies inside the shape, filling them is all the fill
        // does there; a curved outline is costly to fill for the few pixels a frame changes.
        const QRectF repainted = brush.style() == Qt::SolidPattern ? ctx.damageInPainter() : QRectF();
        if (!repainted.isEmpty() && path.contains(repainted))
            ctx.painter.fillRect(repainted, brush);
        else
            ctx.painter.fillPath(path, brush);
        return;
    }
    QPen pen(brush, stroke->width, Qt::SolidLine, stroke->cap, stroke->join);
    pen.setMiterLimit(stroke->miterLimit);
    ctx.painter.strokePath(path, pen);
}

void ShapeSpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" ") + shape.name + (stroke ? QStringLiteral(" stroke=") + num(stroke->width) : QString());
    if (std::holds_alternative<Color>(fillPaint)) {
        const Color c = presentedColor(node);
        out += QStringLiteral(" color=(%1,%2,%3,%4)").arg(num(c.r), num(c.g), num(c.b), num(c.a));
    } else {
        out += QStringLiteral(" gradient");
    }
    if (!shape.data.empty()) {
        QStringList values;
        for (double v : presentedData(node, shape.data.size()))
            values << num(v);
        out += QStringLiteral(" data=(") + values.join(u',') + u')';
    }
}

Element Fill(AnyShape shape, Paint paint) { return make<ShapeSpec>(std::move(shape), std::move(paint), std::nullopt); }
Element Stroke(AnyShape shape, Paint paint, StrokeStyle style)
{
    return make<ShapeSpec>(std::move(shape), std::move(paint), style);
}

// ---- Text ---------------------------------------------------------------------------------------

namespace {
struct TextState {
    Font font;
    double idealWidth = 0;
    double minimumScale = 1;  // how far the font may shrink before the text is cut
    // Multi-line text: its limit and alignment from the environment.
    std::optional<int> lineLimit;
    TextAlignment alignment = TextAlignment::leading;
    // The line as last drawn, shaped, for the width it was laid out at, and the height of the
    // (possibly shrunk) font it was shaped in.
    double shapedWidth = -1;
    ShapedLine shaped;
    double shapedLineHeight = 0;
    // During a content transition: the previous text, shaped, and how it leaves.
    ShapedLine previous;
    double previousHeight = 0;
    ContentTransition transition = ContentTransition::identity;
    // The last few sizes measured, by the width offered (-1 for none): layout asks again on every
    // frame that moves anything, and measuring means shaping the text. A new description or
    // environment makes a new state, so they never outlive what they measured.
    struct Measured {
        double offered = 0;
        QSizeF size;
    };
    std::array<Measured, 4> measured;
    int measuredCount = 0;
    int measuredNext = 0;

    const QSizeF *measuredAt(double offered) const
    {
        for (int i = 0; i < measuredCount; ++i)
            if (measured[size_t(i)].offered == offered)
                return &measured[size_t(i)].size;
        return nullptr;
    }
    QSizeF remember(double offered, QSizeF size)
    {
        measured[size_t(measuredNext)] = {offered, size};
        measuredNext = (measuredNext + 1) % int(measured.size());
        measuredCount = std::min(measuredCount + 1, int(measured.size()));
        return size;
    }
};

// The look of the leaving (old) or arriving content at progress p of a content transition.
struct ContentLook {
    double opacity = 1, dy = 0, scale = 1;
};

ContentLook contentLook(ContentTransition t, double p, bool leaving, double height)
{
    const double q = std::clamp(p, 0.0, 1.0);
    switch (t) {
    case ContentTransition::identity: return {leaving ? 0.0 : 1.0, 0, 1};
    case ContentTransition::opacity: return {leaving ? 1 - q : q, 0, 1};
    case ContentTransition::numericText:
        return leaving ? ContentLook{1 - q, -0.6 * height * q, 1} : ContentLook{q, 0.6 * height * (1 - q), 1};
    case ContentTransition::symbolReplace:
        return leaving ? ContentLook{1 - q, 0, 1 - 0.5 * q} : ContentLook{q, 0, 0.5 + 0.5 * q};
    }
    return {};
}

// Starts a content transition on `node` when its content changed in an animated change.
bool beginContentTransition(Node &node, const ReconcileContext &ctx)
{
    const ContentTransition t = ctx.env[env::contentTransition];
    const auto animation = ctx.animation();
    if (t == ContentTransition::identity || !animation)
        return false;
    node.jumpProp(Prop::content, 0);
    node.setPropWith(Prop::content, 1, animation, ctx.transaction.completion);
    return true;
}

// A multi-line text's lines shaped as one drawing: each line one line height below the last,
// centred lines placed in `width`.
ShapedLine shapeBlock(const TextBlock &block, const Font &font, TextAlignment alignment, double width)
{
    ShapedLine shaped;
    const double height = font.lineHeight();
    for (size_t i = 0; i < block.lines.size(); ++i) {
        const TextLine &line = block.lines[i];
        const double x = alignment == TextAlignment::center ? (width - line.width) / 2 : 0;
        for (ShapedLine::Piece &piece : shapeLine(line, font).pieces) {
            piece.origin += QPointF(x, double(i) * height);
            shaped.pieces.push_back(std::move(piece));
        }
    }
    return shaped;
}

// The font the text is drawn in at `width`: its own, or shrunk (no further than its minimum
// scale) so that the text fits.
Font fittedFont(const TextState &state, double width)
{
    if (state.minimumScale >= 1 || width >= state.idealWidth || state.idealWidth <= 0)
        return state.font;
    // Widths are rounded up to whole points, so aim a little under the offer.
    const double scale = std::max(state.minimumScale, std::max(0.0, width - 1) / state.idealWidth);
    return state.font.withSize(state.font.size() * scale);
}
}  // namespace

bool TextSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const TextSpec &>(other);
    return text == o.text && font == o.font && color == o.color && multiline == o.multiline;
}

void TextSpec::apply(Node &node, const Spec *previous, ReconcileContext &ctx) const
{
    const Font resolved = font ? *font : ctx.env[env::font];
    TextState next{resolved, textWidth(text, resolved), ctx.env[env::minimumScaleFactor]};
    if (multiline) {
        next.minimumScale = 1;
        next.lineLimit = ctx.env[env::lineLimit];
        next.alignment = ctx.env[env::multilineTextAlignment];
    }
    const auto *old = static_cast<const TextSpec *>(previous);
    if (old && old->text != text && node.state.has_value() && beginContentTransition(node, ctx)) {
        const auto &was = std::any_cast<const TextState &>(node.state);
        next.previous = was.shapedWidth >= 0 ? was.shaped : shapeLine(layoutLine(old->text, was.font), was.font);
        next.previousHeight = was.font.lineHeight();
        next.transition = ctx.env[env::contentTransition];
    }
    node.state = std::move(next);
    applyColor(node, color ? *color : ctx.env[env::foreground], ctx);
}

QSizeF TextSpec::sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &) const
{
    auto &state = std::any_cast<TextState &>(node.state);
    const double height = state.font.lineHeight();
    if (multiline) {
        const bool bounded = proposal.width && std::isfinite(*proposal.width);
        if (bounded && *proposal.width <= 0)
            return {0, height};
        const double width = bounded ? *proposal.width : -1;
        if (const QSizeF *size = state.measuredAt(width))
            return *size;
        return state.remember(width, measureText(text, state.font, width, state.lineLimit));
    }
    if (proposal.width && *proposal.width <= 0)
        return {0, height};  // not even an ellipsis fits
    if (proposal.width && std::isfinite(*proposal.width) && *proposal.width < state.idealWidth) {
        const double width = *proposal.width;
        if (const QSizeF *size = state.measuredAt(width))
            return *size;
        const TextLine line = layoutLine(text, fittedFont(state, width), std::max(0.0, width));
        return state.remember(width, {std::ceil(line.width - 1e-9), height});
    }
    return {state.idealWidth, height};
}

void TextSpec::paint(const Node &node, PaintContext &ctx) const
{
    auto &state = std::any_cast<TextState &>(node.state);
    // Truncation follows where layout put the text, not the width on screen mid-animation.
    const double width = node.targetFrame().width();
    if (state.shapedWidth != width && multiline) {
        const TextBlock block = layoutText(text, state.font, width + 1e-6, state.lineLimit);
        state.shaped = shapeBlock(block, state.font, state.alignment, width);
        state.shapedWidth = width;
        state.shapedLineHeight = block.height;
    } else if (state.shapedWidth != width) {
        const Font drawn = fittedFont(state, width);
        state.shaped = shapeLine(layoutLine(text, drawn, width + 1e-6), drawn);
        state.shapedWidth = width;
        state.shapedLineHeight = drawn.lineHeight();
    }
    ctx.painter.setPen(presentedColor(node).toQColor());
    const double top = (node.size().height() - state.shapedLineHeight) / 2;
    const double p = node.value(Prop::content, 1);
    if (p >= 1 || state.transition == ContentTransition::identity) {
        drawShaped(ctx.painter, state.shaped, QPointF(0, top));
        return;
    }
    const double base = ctx.painter.opacity();
    for (bool leaving : {true, false}) {
        const ContentLook look = contentLook(state.transition, p, leaving, state.font.lineHeight());
        if (look.opacity <= 0.001)
            continue;
        ctx.painter.setOpacity(base * look.opacity);
        drawShaped(ctx.painter, leaving ? state.previous : state.shaped,
                   QPointF(0, (leaving ? (node.size().height() - state.previousHeight) / 2 : top) + look.dy));
    }
    ctx.painter.setOpacity(base);
}

QString TextSpec::shownText(const Node &node) const
{
    const auto *state = std::any_cast<TextState>(&node.state);
    if (!state)
        return text;
    if (multiline)
        return layoutText(text, state->font, node.targetFrame().width() + 1e-6, state->lineLimit).shown;
    return layoutLine(text, state->font, node.targetFrame().width() + 1e-6).shown;
}

void TextSpec::describe(const Node &node, QString &out) const
{
    const auto &state = std::any_cast<const TextState &>(node.state);
    out += QStringLiteral(" \"") + text + QStringLiteral("\" ") + state.font.describe();
    if (multiline) {
        out += QStringLiteral(" multiline");
        if (state.lineLimit)
            out += QStringLiteral(" lineLimit=") + QString::number(*state.lineLimit);
        if (state.alignment == TextAlignment::center)
            out += QStringLiteral(" centred");
    }
    const Color c = presentedColor(node);
    if (c.a != 1)
        out += QStringLiteral(" alpha=") + num(c.a);
}

Element Text(const QString &text) { return make<TextSpec>(text, std::nullopt, std::nullopt); }
Element Text(const QString &text, const Font &font, std::optional<Color> color) { return make<TextSpec>(text, font, color); }
Element MultilineText(const QString &text) { return make<TextSpec>(text, std::nullopt, std::nullopt, true); }
Element MultilineText(const QString &text, const Font &font, std::optional<Color> color)
{
    return make<TextSpec>(text, font, color, true);
}

// ---- Symbols ------------------------------------------------------------------------------------

bool SymbolSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const SymbolSpec &>(other);
    return name == o.name && size == o.size && weight == o.weight && tint == o.tint;
}

namespace {
struct SymbolState {
    QString previous;
    ContentTransition transition = ContentTransition::identity;
};
}  // namespace

void SymbolSpec::apply(Node &node, const Spec *previous, ReconcileContext &ctx) const
{
    applyColor(node, tint ? *tint : ctx.env[env::foreground], ctx);
    const auto *old = static_cast<const SymbolSpec *>(previous);
    if (old && old->name != name && beginContentTransition(node, ctx))
        node.state = SymbolState{old->name, ctx.env[env::contentTransition]};
}

QSizeF SymbolSpec::sizeThatFits(Node &, const Proposal &, LayoutContext &) const { return {size, size}; }

void SymbolSpec::paint(const Node &node, PaintContext &ctx) const
{
    const double p = node.value(Prop::content, 1);
    const auto *state = std::any_cast<SymbolState>(&node.state);
    if (p < 1 && state && state->transition != ContentTransition::identity) {
        // The old symbol leaves while the new one arrives, each about the centre.
        const double base = ctx.painter.opacity();
        const QPointF centre(node.size().width() / 2, node.size().height() / 2);
        for (bool leaving : {true, false}) {
            const ContentLook look = contentLook(state->transition, p, leaving, node.size().height());
            if (look.opacity <= 0.001)
                continue;
            ctx.painter.save();
            ctx.painter.setOpacity(base * look.opacity);
            ctx.painter.translate(centre + QPointF(0, look.dy));
            ctx.painter.scale(look.scale, look.scale);
            ctx.painter.translate(-centre);
            paintGlyph(node, leaving ? state->previous : name, ctx);
            ctx.painter.restore();
        }
        return;
    }
    paintGlyph(node, name, ctx);
}

double SymbolSpec::tintAlpha(const Node &node) const { return presentedColor(node).a; }

void SymbolSpec::paintGlyph(const Node &node, const QString &name, PaintContext &ctx) const
{
    const QSizeF box = node.size();
    const double side = std::min(box.width(), box.height());
    const QPointF origin((box.width() - side) / 2, (box.height() - side) / 2);
    const Color tint = presentedColor(node);
    const QColor color = tint.toQColor();
    QPainter &painter = ctx.painter;
    const QTransform world = painter.worldTransform();
    const double s = world.m11();
    if (world.type() <= QTransform::TxScale && s > 0 && qFuzzyCompare(s, world.m22()) && side * s <= 256) {
        // The picture is opaque; a translucent tint fades it as a whole, so where the grown
        // outline overlaps the glyph there is no brighter rim.
        const QImage &image = symbolImage(name, side * s, weight, color);
        const QPointF at = world.map(origin) - QPointF(symbolImagePadding, symbolImagePadding);
        painter.save();
        painter.resetTransform();
        painter.setOpacity(painter.opacity() * std::clamp(tint.a, 0.0, 1.0));
        painter.drawImage(QPointF(std::round(at.x()), std::round(at.y())), image);
        painter.restore();
        return;
    }
    const double scale = std::sqrt(std::abs(world.determinant()));
    const double extra = symbolEmboldening(name, side * scale, weight) / std::max(scale, 1e-6);
    painter.save();
    painter.translate(origin);
    painter.fillPath(emboldenedOutline(symbolOutline(name, side), extra), color);
    painter.restore();
}

void SymbolSpec::describe(const Node &, QString &out) const
{
    out += QStringLiteral(" \"") + name + u'"';
    if (!hasSymbol(name))
        out += QStringLiteral(" missing");
}

Element Symbol(const QString &name, double size, Weight weight, std::optional<Color> tint)
{
    return make<SymbolSpec>(name, size, weight, tint);
}

// ---- Images -------------------------------------------------------------------------------------

namespace {
// The image scaled to the device sizes it was last drawn at, newest first. Two, because a picture
// under a shadow is drawn twice a frame: once for the shadow's silhouette at the shadow's reduced
// resolution, once itself.
struct ImageCache {
    struct Scaled {
        QSize device;
        QRectF target;
        QImage image;
    };
    std::array<Scaled, 2> sizes;
};
}  // namespace

bool ImageSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const ImageSpec &>(other);
    return image.cacheKey() == o.image.cacheKey() && options.resizable == o.options.resizable
           && options.mode == o.options.mode && options.crop == o.options.crop && options.smooth == o.options.smooth
           && options.pointScale == o.options.pointScale;
}

void ImageSpec::apply(Node &node, const Spec *previous, ReconcileContext &) const
{
    if (!previous || !sameProperties(*previous))
        node.state = ImageCache{};
}

QSizeF ImageSpec::sizeThatFits(Node &, const Proposal &proposal, LayoutContext &) const
{
    const QRectF source = options.crop ? *options.crop : QRectF(image.rect());
    const QSizeF natural = source.size() / std::max(0.01, options.pointScale);
    if (!options.resizable)
        return natural;
    return offered(proposal, natural);
}

void ImageSpec::paint(const Node &node, PaintContext &ctx) const
{
    if (image.isNull())
        return;
    const QRectF bounds(QPointF(0, 0), node.size());
    const QRectF source = options.crop ? *options.crop : QRectF(image.rect());
    QRectF target = bounds;
    if (options.resizable && !source.isEmpty()) {
        const double sx = bounds.width() / source.width(), sy = bounds.height() / source.height();
        const double s = options.mode == ContentMode::fit ? std::min(sx, sy) : std::max(sx, sy);
        const QSizeF drawn = source.size() * s;
        target = QRectF(bounds.center() - QPointF(drawn.width() / 2, drawn.height() / 2), drawn);
    } else if (!options.resizable) {
        target = QRectF(QPointF(0, 0), source.size() / std::max(0.01, options.pointScale));
    }
    // Scaling a large image every frame is the expensive part: keep it scaled to the device size
    // it was last drawn at.
    const QTransform &world = ctx.painter.worldTransform();
    const bool axisAligned = world.type() <= QTransform::TxScale;
    auto &cache = node.state;
    if (axisAligned && cache.type() == typeid(ImageCache)) {
        auto &c = std::any_cast<ImageCache &>(cache);
        const QRectF deviceRect = world.mapRect(target);
        const QSize device = deviceRect.size().toSize();
        if (c.sizes[1].device == device && c.sizes[1].target == target)
            std::swap(c.sizes[0], c.sizes[1]);
        if (c.sizes[0].device != device || c.sizes[0].target != target) {
            c.sizes[1] = std::move(c.sizes[0]);
            c.sizes[0] = {device, target,
                          image.copy(source.toAlignedRect())
                              .scaled(device, Qt::IgnoreAspectRatio,
                                      options.smooth ? Qt::SmoothTransformation : Qt::FastTransformation)};
        }
        const QImage &scaled = c.sizes[0].image;
        ctx.painter.save();
        ctx.painter.setClipRect(bounds, Qt::IntersectClip);
        const QPointF topLeft = world.map(target.topLeft());
        ctx.painter.resetTransform();
        ctx.painter.drawImage(QPointF(std::round(topLeft.x()), std::round(topLeft.y())), scaled);
        ctx.painter.restore();
        return;
    }
    ctx.painter.save();
    ctx.painter.setRenderHint(QPainter::SmoothPixmapTransform, options.smooth);
    ctx.painter.setClipRect(bounds, Qt::IntersectClip);
    ctx.painter.drawImage(target, image, source);
    ctx.painter.restore();
}

void ImageSpec::describe(const Node &, QString &out) const
{
    out += QStringLiteral(" %1x%2 %3").arg(image.width()).arg(image.height())
               .arg(options.mode == ContentMode::fit ? QStringLiteral("fit") : QStringLiteral("fill"));
}

Element Image(const QImage &image, ImageOptions options) { return make<ImageSpec>(image, options); }

// ---- Custom painters ----------------------------------------------------------------------------

bool PainterSpec::sameProperties(const Spec &other) const
{
    const auto &o = static_cast<const PainterSpec &>(other);
    return key == o.key && values == o.values && idealSize == o.idealSize;
}

void PainterSpec::apply(Node &node, const Spec *, ReconcileContext &ctx) const { applyShapeData(node, values, ctx); }

QSizeF PainterSpec::sizeThatFits(Node &, const Proposal &proposal, LayoutContext &) const
{
    return offered(proposal, idealSize.value_or(QSizeF(10, 10)));
}

void PainterSpec::paint(const Node &node, PaintContext &ctx) const
{
    ctx.painter.save();
    fn(ctx.painter, QRectF(QPointF(0, 0), node.size()), presentedData(node, values.size()));
    ctx.painter.restore();
}

void PainterSpec::describe(const Node &node, QString &out) const
{
    out += QStringLiteral(" key=") + key.describe();
    if (!values.empty()) {
        QStringList v;
        for (double d : presentedData(node, values.size()))
            v << num(d);
        out += QStringLiteral(" values=(") + v.join(u',') + u')';
    }
}

Element Painter(AnyValue key, std::vector<double> values, PainterFn paint, std::optional<QSizeF> idealSize)
{
    return make<PainterSpec>(std::move(key), std::move(values), std::move(paint), idealSize);
}

}  // namespace kit
