#include "Kit/Font.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using kit::Font;
using kit::Weight;

namespace {

QFontMetricsF referenceMetrics(const Font &font)
{
    QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
    device.setDotsPerMeterX(2835);
    device.setDotsPerMeterY(2835);
    return QFontMetricsF(font.qfont(), &device);
}

class FontWeights : public ::testing::TestWithParam<std::pair<Weight, const char *>> {};

}  // namespace

TEST_P(FontWeights, ResolvesToInterWithThatWeight)
{
    const auto [weight, style] = GetParam();
    const Font font = Font::system(13, weight);
    const QFontInfo info(font.qfont());
    EXPECT_EQ(info.family(), QStringLiteral("Inter"));
    EXPECT_EQ(info.styleName(), QString::fromLatin1(style));
    EXPECT_FALSE(info.italic());
}

INSTANTIATE_TEST_SUITE_P(Font, FontWeights,
                         ::testing::Values(std::make_pair(Weight::light, "Light"),
                                           std::make_pair(Weight::regular, "Regular"),
                                           std::make_pair(Weight::medium, "Medium"),
                                           std::make_pair(Weight::semibold, "Semi Bold"),
                                           std::make_pair(Weight::bold, "Bold")));

TEST(Font, WidthAndLineHeightMatchQtMetrics)
{
    for (double size : {11.0, 13.0, 34.0}) {
        const Font font = Font::system(size, Weight::semibold);
        const QFontMetricsF reference = referenceMetrics(font);
        const QString text = QStringLiteral("Now Playing — Ägypten 12:45");
        EXPECT_EQ(kit::textWidth(text, font), std::ceil(reference.horizontalAdvance(text))) << size;
        EXPECT_EQ(kit::lineHeight(font), std::ceil(reference.ascent() + reference.descent() + reference.leading()))
            << size;
        // Points are pixels at scale 1, whatever the screen's DPI.
        EXPECT_NEAR(reference.ascent() + reference.descent(), size * 1.21, size * 0.1) << size;
    }
}

namespace {

// The ink of `text` drawn in `font` at scale 2: its width and height in pixels.
QSize inkSize(const QString &text, const Font &font)
{
    QImage image(400, 80, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setPen(Qt::white);
        painter.scale(2, 2);
        kit::drawLine(painter, kit::layoutLine(text, font), font, QPointF(4, 4));
    }
    int minX = image.width(), maxX = -1, minY = image.height(), maxY = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 127) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    return maxX < 0 ? QSize() : QSize(maxX - minX + 1, maxY - minY + 1);
}

}  // namespace

TEST(Font, FractionalSizesMeasureAndDrawAtTheirOwnSize)
{
    // Qt rounds a font's pixel size to a whole number; Kit's figures do not follow it there.
    const QString text = QStringLiteral("Kind of Blue — Ägypten 12:45");
    for (const Weight weight : {Weight::regular, Weight::semibold}) {
        SCOPED_TRACE(int(weight));
        const Font small = Font::system(11, weight), half = Font::system(11.5, weight), large = Font::system(12, weight);
        EXPECT_GT(half.ascent(), small.ascent());
        EXPECT_LT(half.ascent(), large.ascent());
        EXPECT_GT(half.descent(), small.descent());
        EXPECT_LT(half.descent(), large.descent());
        EXPECT_GT(half.advance(text), small.advance(text));
        EXPECT_LT(half.advance(text), large.advance(text));
        EXPECT_EQ(kit::lineHeight(half), 14);
        EXPECT_EQ(kit::lineHeight(large), 15);
        EXPECT_GT(half.digitCell(), small.digitCell());
        EXPECT_LT(half.digitCell(), large.digitCell());
        // Unhinted figures scale with the size: 11.5 is half of 23, the whole size Qt can give.
        const QFontMetricsF doubled = referenceMetrics(Font::system(23, weight));
        EXPECT_DOUBLE_EQ(half.ascent(), doubled.ascent() / 2);
        EXPECT_DOUBLE_EQ(half.advance(text), doubled.horizontalAdvance(text) / 2);
        // A size Qt cannot give in a whole number of pixels even when doubled.
        const Font odd = Font::system(11.25, weight);
        EXPECT_GT(odd.advance(text), small.advance(text));
        EXPECT_LT(odd.advance(text), half.advance(text));

        // Drawn, the ink follows the size too, and stays within the measured width.
        const QSize inkSmall = inkSize(text, small), inkHalf = inkSize(text, half), inkLarge = inkSize(text, large);
        ASSERT_TRUE(inkHalf.isValid());
        EXPECT_GT(inkHalf.width(), inkSmall.width());
        EXPECT_LT(inkHalf.width(), inkLarge.width());
        EXPECT_LE(inkHalf.width(), 2 * kit::textWidth(text, half) + 1);
        EXPECT_NEAR(inkHalf.width(), (inkSmall.width() + inkLarge.width()) / 2.0, 2) << "halfway, as its size";
        EXPECT_LE(inkSmall.height(), inkHalf.height());
        EXPECT_LE(inkHalf.height(), inkLarge.height());
    }
}

TEST(Font, HeavierWeightsAreWider)
{
    const QString text = QStringLiteral("Headphones");
    EXPECT_LT(kit::textWidth(text, Font::system(13, Weight::regular)), kit::textWidth(text, Font::system(13, Weight::bold)));
}

TEST(Font, EmptyTextHasNoWidthButALine)
{
    const Font font = Font::system(13);
    EXPECT_EQ(kit::textWidth(QString(), font), 0);
    EXPECT_GT(kit::lineHeight(font), 13);
}

TEST(Font, MonospacedDigitsOccupyEqualCells)
{
    const Font mono = Font::system(13, Weight::medium).monospacedDigits();
    EXPECT_DOUBLE_EQ(mono.advance(u"1111"), mono.advance(u"0000"));
    EXPECT_DOUBLE_EQ(mono.advance(u"11:11"), mono.advance(u"88:88"));
    EXPECT_DOUBLE_EQ(mono.advance(u"1"), mono.digitCell());
    // The cell is the widest digit's advance, so no digit is squeezed.
    const QFontMetricsF reference = referenceMetrics(mono);
    for (QChar d = u'0'; d <= u'9'; d = QChar(d.unicode() + 1))
        EXPECT_GE(mono.digitCell(), reference.horizontalAdvance(d) - 1e-9);
    // Proportional digits differ ("1" is narrower than "0" in Inter).
    const Font proportional = Font::system(13, Weight::medium);
    EXPECT_LT(proportional.advance(u"1111"), proportional.advance(u"0000"));
}

TEST(Font, DigitCellsKeepTheirPlaceInLayout)
{
    const Font mono = Font::system(13).monospacedDigits();
    const kit::TextLine line = kit::layoutLine(QStringLiteral("-12:07"), mono);
    ASSERT_EQ(line.runs.size(), 6u);
    EXPECT_FALSE(line.runs[0].digitCell);
    EXPECT_TRUE(line.runs[1].digitCell);
    EXPECT_DOUBLE_EQ(line.runs[2].x - line.runs[1].x, mono.digitCell());
    EXPECT_DOUBLE_EQ(line.width, line.runs.back().x + line.runs.back().width);
}

TEST(Font, TailTruncationFitsAndEndsWithEllipsis)
{
    const Font font = Font::system(13);
    const QString text = QStringLiteral("A rather long track title that will not fit");
    const kit::TextLine whole = kit::layoutLine(text, font, 1000);
    EXPECT_FALSE(whole.truncated);
    EXPECT_EQ(whole.shown, text);

    const kit::TextLine cut = kit::layoutLine(text, font, 80);
    EXPECT_TRUE(cut.truncated);
    EXPECT_LE(cut.width, 80.0);
    EXPECT_TRUE(cut.shown.endsWith(QChar(0x2026)));
    EXPECT_TRUE(text.startsWith(cut.shown.chopped(1)));
    // The longest prefix wins: one more character would not fit.
    const QString longer = text.left(cut.shown.size());
    EXPECT_GT(font.advance(longer.trimmed()) + font.advance(u"\u2026"), 80.0);

    const kit::TextLine none = kit::layoutLine(text, font, 2);
    EXPECT_TRUE(none.runs.empty());
    EXPECT_EQ(none.width, 0);
}

TEST(Font, DrawnTextStaysWithinItsMeasuredWidth)
{
    const Font font = Font::system(20, Weight::bold);
    const QString text = QStringLiteral("Wave 42");
    const kit::TextLine line = kit::layoutLine(text, font);
    QImage image(200, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setPen(Qt::white);
        kit::drawLine(painter, line, font, QPointF(10, 10));
    }
    int minX = image.width(), maxX = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    ASSERT_GE(maxX, 0);
    EXPECT_GE(minX, 10);
    EXPECT_LE(maxX, 10 + kit::textWidth(text, font) + 1);
    EXPECT_GT(maxX - minX, kit::textWidth(text, font) * 0.8);
}

TEST(Font, TextUnderAnInBetweenScaleKeepsItsPlaceAndSize)
{
    // Under a scale between the usual ones (a page growing into place) each glyph still lands
    // where that scale puts it, and the ink spans the scaled width.
    const Font font = Font::system(13, Weight::semibold);
    const QString text = QStringLiteral("Volume & Brightness, Lock Screen");
    const kit::TextLine line = kit::layoutLine(text, font);
    auto inkAt = [&](double scale) {
        QImage image(900, 80, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setPen(Qt::white);
            painter.translate(7.3, 5);
            painter.scale(scale, scale);
            kit::drawLine(painter, line, font, QPointF(10, 10));
        }
        int minX = image.width(), maxX = -1, minY = image.height(), maxY = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 40) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, y);
                    maxY = std::max(maxY, y);
                }
        return QRect(QPoint(minX, minY), QPoint(maxX, maxY));
    };
    const QRect whole = inkAt(2);
    ASSERT_TRUE(whole.isValid());
    for (const double scale : {1.88, 1.905, 1.97, 2.013}) {
        SCOPED_TRACE(scale);
        const QRect ink = inkAt(scale);
        // Where the true scale maps the ink seen at 2, within a pixel and a half.
        auto mapped = [&](double x) { return 7.3 + (x - 7.3) * scale / 2; };
        EXPECT_NEAR(ink.left(), mapped(whole.left()), 1.5);
        EXPECT_NEAR(ink.right(), mapped(whole.right()), 1.5);
        EXPECT_NEAR(ink.height(), whole.height() * scale / 2, 1.5);
    }
}
