#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPointF>
#include <QString>

class QPainter;

#include <vector>

namespace kit {

enum class Weight { light, regular, medium, semibold, bold };

// The resolved Qt font and its metrics for one size and weight, shared by every Font value of that
// size and weight. Built once, on the main thread, on first use.
struct FontFace;

// A font as views ask for it: the system face (Inter) at a size in points and a weight, optionally
// with monospaced digits. A plain value; resolving it to Qt is cached per size and weight. Sizes
// count to 1/64 point: 11.5 points measures and draws at 11.5, between 11 and 12.
//
// Kit units are points: one point is one pixel at scale 1. Text is measured and drawn with hinting
// off, so that its advances are the same at every scale.
class Font {
public:
    Font() = default;  // the system font at 13 points, regular
    static Font system(double size, Weight weight = Weight::regular);

    // Digits laid out by Kit in cells as wide as the widest digit, so counting numbers do not jitter
    // (Qt 6.4 cannot switch the face's tabular-figure feature on).
    Font monospacedDigits() const;
    Font withWeight(Weight weight) const { return system(size_, weight).withDigits(monoDigits_); }
    Font withSize(double size) const { return system(size, weight_).withDigits(monoDigits_); }

    double size() const { return size_; }
    Weight weight() const { return weight_; }
    bool hasMonospacedDigits() const { return monoDigits_; }

    // The Qt font of this face and weight at `size` points for a 72-dpi device. Qt rounds a font's
    // pixel size to a whole number (11.5 points would measure as 12), so Kit measures and draws
    // through the figures below, which hold at the true size.
    QFont qfont() const;
    // Metrics in Kit points, at the font's own size.
    double ascent() const;
    double descent() const;
    double leading() const;
    // The height of one line: ceil(ascent + descent + leading).
    double lineHeight() const;
    // The width of a digit cell when digits are monospaced: the widest of 0..9.
    double digitCell() const;
    // The exact advance of `text` on one line, as Kit draws it (unrounded).
    double advance(QStringView text) const;

    // Used for comparison and in dumps: "Inter 13 semibold mono".
    QString describe() const;

    friend bool operator==(const Font &a, const Font &b)
    {
        return a.size_ == b.size_ && a.weight_ == b.weight_ && a.monoDigits_ == b.monoDigits_;
    }

private:
    Font withDigits(bool mono) const
    {
        Font copy = *this;
        copy.monoDigits_ = mono;
        return copy;
    }
    double size_ = 13;
    Weight weight_ = Weight::regular;
    bool monoDigits_ = false;
    const FontFace &face() const;
    mutable const FontFace *face_ = nullptr;  // resolved on first use (needs a Qt application)
};

// The width of one line of `text` in `font`, rounded up to a whole point.
double textWidth(QStringView text, const Font &font);
// The height of a line of text in `font`: ceil(ascent + descent + leading).
double lineHeight(const Font &font);

// One line of text placed for drawing: runs of characters with their x offsets. Monospaced digits
// are single-character runs centred in their cells. Measuring and drawing both go through this,
// so what is drawn is exactly as wide as what was measured.
struct TextRun {
    QString text;
    double x = 0;      // left edge of the run
    double width = 0;  // advance (the cell width for a monospaced digit)
    bool digitCell = false;
};

struct TextLine {
    std::vector<TextRun> runs;
    double width = 0;  // exact width of the runs, unrounded
    bool truncated = false;
    QString shown;     // the text as drawn (with the ellipsis when truncated)
};

// Lays out `text` on one line. With `maxWidth` >= 0 and the text wider than that, the tail is cut
// at a character boundary and replaced by an ellipsis so that the whole fits; a line where not even
// the ellipsis fits shows nothing.
TextLine layoutLine(const QString &text, const Font &font, double maxWidth = -1);

// A laid-out line shaped into glyph runs once, so drawing it again costs no text shaping.
struct ShapedLine {
    struct Piece {
        QPointF origin;  // of the run's glyph positions, relative to the line's top-left corner
        QGlyphRun glyphs;
    };
    std::vector<Piece> pieces;
};
ShapedLine shapeLine(const TextLine &line, const Font &font);
void drawShaped(QPainter &painter, const ShapedLine &shaped, QPointF topLeft);

// Draws a laid-out line with its top-left corner at `topLeft` (the baseline is one ascent below it)
// in the painter's current pen colour.
void drawLine(QPainter &painter, const TextLine &line, const Font &font, QPointF topLeft);

}  // namespace kit
