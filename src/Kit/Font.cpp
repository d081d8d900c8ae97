#include "Kit/Font.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <cmath>
#include <map>
#include <memory>
#include <numeric>

namespace kit {

struct FontFace {
    // Qt sizes a font in whole pixels, so a fractional size is shaped and measured `shaping` times
    // larger (a whole number of pixels) and every figure divided back down; glyphs are drawn from
    // a raw font at the true size. Sizes are kept in 1/64 point, so `shaping` is a power of two
    // up to 64 and the division is exact.
    FontFace(const QFont &font, double shaping);

    QFont font;  // at `shaping` times the size, for a 72-dpi device, where one point is one pixel
    double shaping = 1;
    QFontMetricsF metrics;  // of `font`, in its own (enlarged) units
    double ascent = 0, descent = 0, leading = 0;  // at the true size, as are the two below
    double digitCell = 0;
    double ellipsis = 0;
    double advance(const QString &text) const { return metrics.horizontalAdvance(text) / shaping; }
    double advance(QChar c) const { return metrics.horizontalAdvance(c) / shaping; }
    // A glyph run that shaping produced, moved to the true size: its raw font (the face itself
    // or a fallback for characters the face lacks) at 1/shaping of its size, its positions scaled.
    QGlyphRun drawnAtSize(QGlyphRun run) const;

private:
    // Raw fonts shaping produced, each with its clone at the true size, so the painter's glyph
    // cache of a clone is used again by every line drawn in it.
    mutable std::vector<std::pair<QRawFont, QRawFont>> drawnFonts_;
};

namespace {

constexpr auto kFamily = "Inter";

int qtWeight(Weight weight)
{
    switch (weight) {
    case Weight::light: return QFont::Light;
    case Weight::regular: return QFont::Normal;
    case Weight::medium: return QFont::Medium;
    case Weight::semibold: return QFont::DemiBold;
    case Weight::bold: return QFont::Bold;
    }
    return QFont::Normal;
}

// Qt sizes a font by the logical DPI of the device it measures or paints on. A 72-dpi image makes
// Qt's points equal Kit's points; painting applies the same correction for the painter's device.
const QPaintDevice &pointDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(2835);  // 72 dpi
        image.setDotsPerMeterY(2835);
        return image;
    }();
    return device;
}

QFont makeQFont(double size, Weight weight, int logicalDpi)
{
    QFont font(QString::fromLatin1(kFamily));
    font.setPointSizeF(size * 72.0 / logicalDpi);
    font.setWeight(QFont::Weight(qtWeight(weight)));
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::PreferMatch));
    // Unhinted advances scale linearly, so a width measured once holds at every render scale.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

const FontFace *faceFor(double size, Weight weight)
{
    // Keyed by size in 1/64 point so that equal sizes written differently share one face.
    static std::map<std::pair<long, int>, std::unique_ptr<FontFace>> faces;
    const long sixtyFourths = std::max(1L, std::lround(size * 64.0));
    const auto key = std::make_pair(sixtyFourths, int(weight));
    auto it = faces.find(key);
    if (it != faces.end())
        return it->second.get();
    const long shaping = 64 / std::gcd(sixtyFourths, 64L);
    auto face = std::make_unique<FontFace>(makeQFont(double(sixtyFourths * shaping / 64), weight, 72), double(shaping));
    return faces.emplace(key, std::move(face)).first->second.get();
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

TextLine layoutRuns(QStringView text, const FontFace &face, bool monoDigits)
{
    TextLine line;
    double x = 0;
    auto pushText = [&](QStringView part) {
        if (part.isEmpty())
            return;
        const double w = face.advance(part.toString());
        line.runs.push_back({part.toString(), x, w, false});
        x += w;
    };
    if (!monoDigits) {
        pushText(text);
    } else {
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!isDigit(text[i]))
                continue;
            pushText(text.mid(start, i - start));
            line.runs.push_back({QString(text[i]), x, face.digitCell, true});
            x += face.digitCell;
            start = i + 1;
        }
        pushText(text.mid(start));
    }
    line.width = x;
    line.shown = text.toString();
    return line;
}

}  // namespace

FontFace::FontFace(const QFont &qfont, double scale)
    : font(qfont), shaping(scale), metrics(qfont, &pointDevice()), ascent(metrics.ascent() / scale),
      descent(metrics.descent() / scale), leading(metrics.leading() / scale)
{
    for (QChar digit = u'0'; digit <= u'9'; digit = QChar(digit.unicode() + 1))
        digitCell = std::max(digitCell, advance(digit));
    ellipsis = advance(QStringLiteral("\u2026"));
}

QGlyphRun FontFace::drawnAtSize(QGlyphRun run) const
{
    if (shaping == 1)
        return run;
    const QRawFont shaped = run.rawFont();
    auto it = std::find_if(drawnFonts_.begin(), drawnFonts_.end(), [&](const auto &p) { return p.first == shaped; });
    if (it == drawnFonts_.end()) {
        QRawFont drawn = shaped;
        drawn.setPixelSize(shaped.pixelSize() / shaping);
        if (!drawn.isValid())
            drawn = shaped;  // a face that cannot be resized (a bitmap fallback) still draws
        it = drawnFonts_.insert(drawnFonts_.end(), {shaped, drawn});
    }
    QList<QPointF> positions = run.positions();
    for (QPointF &p : positions)
        p /= shaping;
    run.setRawFont(it->second);
    run.setPositions(positions);
    const QRectF bounds = run.boundingRect();
    run.setBoundingRect(QRectF(bounds.topLeft() / shaping, bounds.size() / shaping));
    return run;
}

const FontFace &Font::face() const
{
    if (!face_)
        face_ = faceFor(size_, weight_);
    return *face_;
}

Font Font::system(double size, Weight weight)
{
    Q_ASSERT(size > 0);
    Font font;
    font.size_ = size;
    font.weight_ = weight;
    return font;
}

Font Font::monospacedDigits() const { return withDigits(true); }

QFont Font::qfont() const { return makeQFont(size_, weight_, 72); }

double Font::ascent() const { return face().ascent; }
double Font::descent() const { return face().descent; }
double Font::leading() const { return face().leading; }
double Font::lineHeight() const { return std::ceil(ascent() + descent() + leading()); }
double Font::digitCell() const { return face().digitCell; }

double Font::advance(QStringView text) const { return layoutRuns(text, face(), monoDigits_).width; }

QString Font::describe() const
{
    static const char *names[] = {"light", "regular", "medium", "semibold", "bold"};
    QString out = QStringLiteral("Inter %1 %2").arg(size_).arg(QString::fromLatin1(names[int(weight_)]));
    if (monoDigits_)
        out += QStringLiteral(" mono");
    return out;
}

double textWidth(QStringView text, const Font &font) { return std::ceil(font.advance(text) - 1e-9); }

double lineHeight(const Font &font) { return font.lineHeight(); }

TextLine layoutLine(const QString &text, const Font &font, double maxWidth)
{
    const FontFace &face = *faceFor(font.size(), font.weight());
    TextLine full = layoutRuns(text, face, font.hasMonospacedDigits());
    if (maxWidth < 0 || full.width <= maxWidth + 1e-6)
        return full;

    // Candidate cut points are grapheme boundaries; the longest prefix that fits with the
    // ellipsis wins. Widths grow with the prefix, so a binary search finds it.
    std::vector<qsizetype> cuts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype pos = finder.toNextBoundary(); pos > 0 && pos < text.size(); pos = finder.toNextBoundary())
        cuts.push_back(pos);
    auto prefix = [&](qsizetype n) {
        QStringView view = QStringView(text).left(n);
        while (!view.isEmpty() && view.back().isSpace())
            view.chop(1);
        return view;
    };
    auto fits = [&](qsizetype n) {
        return layoutRuns(prefix(n), face, font.hasMonospacedDigits()).width + face.ellipsis <= maxWidth + 1e-6;
    };
    qsizetype lo = 0, hi = qsizetype(cuts.size());  // cuts[0..lo) fit
    while (lo < hi) {
        const qsizetype mid = (lo + hi) / 2;
        if (fits(cuts[mid]))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0 && face.ellipsis > maxWidth + 1e-6)
        return TextLine{{}, 0, true, QString()};
    const qsizetype n = lo == 0 ? 0 : cuts[lo - 1];
    TextLine line = layoutRuns(prefix(n), face, font.hasMonospacedDigits());
    const QString ellipsis = QStringLiteral("\u2026");
    line.runs.push_back({ellipsis, line.width, face.ellipsis, false});
    line.width += face.ellipsis;
    line.shown += ellipsis;
    line.truncated = true;
    return line;
}

ShapedLine shapeLine(const TextLine &line, const Font &font)
{
    ShapedLine shaped;
    const FontFace &face = *faceFor(font.size(), font.weight());
    const double baseline = face.ascent;
    for (const TextRun &run : line.runs) {
        QTextLayout layout(run.text, face.font, const_cast<QPaintDevice *>(&pointDevice()));
        layout.beginLayout();
        QTextLine textLine = layout.createLine();
        layout.endLayout();
        if (!textLine.isValid())
            continue;
        double x = run.x;
        if (run.digitCell)
            x += (run.width - textLine.naturalTextWidth() / face.shaping) / 2.0;
        // Glyph positions are relative to the layout's origin, with the baseline at the ascent.
        const QPointF origin(x, baseline - textLine.ascent() / face.shaping);
        for (const QGlyphRun &glyphs : layout.glyphRuns())
            shaped.pieces.push_back({origin, face.drawnAtSize(glyphs)});
    }
    return shaped;
}

void drawShaped(QPainter &painter, const ShapedLine &shaped, QPointF topLeft)
{
    const QTransform world = painter.worldTransform();
    const double scale = world.m11();
    // Glyphs are rasterised once per scale they are drawn at, so under a scale that moves (a page
    // growing into place) every frame would rasterise the text anew. Text under a scale between
    // whole 1/32 steps is drawn at the nearest step (its glyphs at most 1.6 % off in size, too
    // little to see), each glyph still placed where the true scale puts it.
    const double step = std::round(scale * 32) / 32;
    if (world.type() != QTransform::TxScale || world.m22() != scale || step == scale || step <= 0) {
        for (const ShapedLine::Piece &piece : shaped.pieces)
            painter.drawGlyphRun(topLeft + piece.origin, piece.glyphs);
        return;
    }
    painter.save();
    painter.setWorldTransform(QTransform(step, 0, 0, step, world.dx(), world.dy()));
    const double stretch = scale / step;
    for (const ShapedLine::Piece &piece : shaped.pieces) {
        QGlyphRun run = piece.glyphs;
        QList<QPointF> positions = run.positions();
        for (QPointF &p : positions)
            p *= stretch;
        run.setPositions(positions);
        painter.drawGlyphRun((topLeft + piece.origin) * stretch, run);
    }
    painter.restore();
}

void drawLine(QPainter &painter, const TextLine &line, const Font &font, QPointF topLeft)
{
    if (!line.runs.empty())
        drawShaped(painter, shapeLine(line, font), topLeft);
}

}  // namespace kit
