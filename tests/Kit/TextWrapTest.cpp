#include "Kit/Kit.h"

#include "Base/VirtualTime.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

using namespace kit;

namespace {

const Font font = Font::system(13);

QStringList lineTexts(const TextBlock &block)
{
    QStringList out;
    for (const TextLine &line : block.lines)
        out << line.shown;
    return out;
}

double advance(const QString &text) { return font.advance(text); }

}  // namespace

TEST(TextWrap, BreaksAtWordBoundariesToTheOfferedWidth)
{
    const QString text = QStringLiteral("alpha beta gamma delta");
    // Exactly the width of "alpha beta": the space after it does not count.
    TextBlock block = layoutText(text, font, advance(QStringLiteral("alpha beta")));
    EXPECT_EQ(lineTexts(block), (QStringList{"alpha beta", "gamma", "delta"}));
    EXPECT_FALSE(block.truncated);
    EXPECT_EQ(block.shown, text);
    EXPECT_EQ(block.starts, (std::vector<qsizetype>{0, 11, 17}));
    block = layoutText(text, font, advance(QStringLiteral("gamma delta")));
    EXPECT_EQ(lineTexts(block), (QStringList{"alpha beta", "gamma delta"}));

    // A hair narrower and "beta" moves down; every line fits the width.
    const double narrow = advance(QStringLiteral("alpha beta")) - 0.5;
    block = layoutText(text, font, narrow);
    EXPECT_EQ(lineTexts(block), (QStringList{"alpha", "beta", "gamma", "delta"}));
    for (const TextLine &line : block.lines)
        EXPECT_LE(line.width, narrow + 1e-6);
    EXPECT_DOUBLE_EQ(block.width, advance(QStringLiteral("gamma")));

    // No width: one line per paragraph; a hard break always breaks.
    block = layoutText(QStringLiteral("one two\nthree"), font);
    EXPECT_EQ(lineTexts(block), (QStringList{"one two", "three"}));
    block = layoutText(QStringLiteral("one\r\n\r\nthree"), font, 500);
    EXPECT_EQ(lineTexts(block), (QStringList{"one", "", "three"}));
    EXPECT_EQ(block.starts, (std::vector<qsizetype>{0, 5, 7}));
}

TEST(TextWrap, AWordWiderThanTheWidthBreaksBetweenCharactersAndHyphensBreakAfter)
{
    const double width = advance(QStringLiteral("abcd"));
    TextBlock block = layoutText(QStringLiteral("abcdefghij xy"), font, width);
    ASSERT_GE(block.lines.size(), 3u);
    EXPECT_EQ(block.lines[0].shown, QStringLiteral("abcd"));
    EXPECT_EQ(lineTexts(block).join(QString()).remove(u' '), QStringLiteral("abcdefghijxy"));
    for (const TextLine &line : block.lines)
        EXPECT_LE(line.width, width + 1e-6);

    // Narrower than any character: still one character a line, never an endless loop.
    block = layoutText(QStringLiteral("abc"), font, 1);
    EXPECT_EQ(lineTexts(block), (QStringList{"a", "b", "c"}));

    block = layoutText(QStringLiteral("well-known"), font, advance(QStringLiteral("well-kn")));
    EXPECT_EQ(lineTexts(block), (QStringList{"well-", "known"}));
}

TEST(TextWrap, LineLimitOneCutsTheOnlyLineWithAnEllipsis)
{
    const QString text = QStringLiteral("alpha beta gamma delta");
    const double width = advance(QStringLiteral("alpha beta"));
    const TextBlock block = layoutText(text, font, width, 1);
    ASSERT_EQ(block.lines.size(), 1u);
    EXPECT_TRUE(block.truncated);
    EXPECT_TRUE(block.shown.endsWith(QChar(0x2026)));
    // As much of the text as fits with the ellipsis, cut at a character, not at the word.
    EXPECT_TRUE(block.shown.startsWith(QStringLiteral("alpha be"))) << block.shown.toStdString();
    EXPECT_LE(block.lines[0].width, width + 1e-6);
    EXPECT_EQ(block.height, font.lineHeight());

    // Text that fits on the one line is not cut.
    EXPECT_FALSE(layoutText(QStringLiteral("alpha"), font, width, 1).truncated);
    // A limit of 1 with a hard break: the first paragraph, then the ellipsis.
    const TextBlock broken = layoutText(QStringLiteral("alpha\nbeta"), font, width, 1);
    EXPECT_EQ(broken.shown, QStringLiteral("alpha\u2026"));
    // Unbounded width, limited lines.
    EXPECT_EQ(layoutText(QStringLiteral("a\nb\nc"), font, -1, 2).shown, QStringLiteral("a\nb\u2026"));
}

TEST(TextWrap, LineLimitTwoKeepsTheFirstLineWholeAndCutsTheSecond)
{
    const QString text = QStringLiteral("alpha beta gamma delta epsilon");
    const double width = advance(QStringLiteral("alpha beta"));
    const TextBlock block = layoutText(text, font, width, 2);
    ASSERT_EQ(block.lines.size(), 2u);
    EXPECT_EQ(block.lines[0].shown, QStringLiteral("alpha beta"));
    EXPECT_FALSE(block.lines[0].truncated);
    // The second line holds the rest of the paragraph, cut to fit with its ellipsis.
    EXPECT_TRUE(block.lines[1].shown.startsWith(QStringLiteral("gamma")));
    EXPECT_TRUE(block.lines[1].shown.endsWith(QChar(0x2026)));
    EXPECT_LE(block.lines[1].width, width + 1e-6);
    EXPECT_EQ(block.shown, QStringLiteral("alpha beta ") + block.lines[1].shown);
    EXPECT_EQ(block.height, 2 * font.lineHeight());

    // Exactly two lines' worth: nothing is cut.
    const TextBlock two = layoutText(QStringLiteral("alpha beta gamma"), font, width, 2);
    EXPECT_FALSE(two.truncated);
    EXPECT_EQ(lineTexts(two), (QStringList{"alpha beta", "gamma"}));
    // The modifier takes no limit below one line.
    EXPECT_EQ(layoutText(text, font, width, 0).lines.size(), 1u);
}

TEST(TextWrap, HeightIsLinesTimesLineHeightAndWidthTheWidestLineRoundedUp)
{
    const QString text = QStringLiteral("alpha beta gamma delta");
    const double width = advance(QStringLiteral("alpha beta")) - 0.5;
    const QSizeF size = measureText(text, font, width);
    EXPECT_EQ(size.height(), 4 * font.lineHeight());
    EXPECT_EQ(size.width(), std::ceil(advance(QStringLiteral("gamma"))));
    EXPECT_EQ(measureText(QString(), font, 100), QSizeF(0, font.lineHeight())) << "an empty text is one line";
    EXPECT_EQ(measureText(text, Font::system(20), -1).height(), Font::system(20).lineHeight());
}

class MultilineTextView : public ::testing::Test {
protected:
    vesk::VirtualTime time;
    const QString text = QStringLiteral("Pick what the island shows. You can change it later.");
    std::optional<QSizeF> laidOut;

    Element paragraph(double width, std::optional<int> limit, TextAlignment alignment)
    {
        return MultilineText(text, font)
            .lineLimit(limit)
            .multilineTextAlignment(alignment)
            .onSizeChange([this](QSizeF s) { laidOut = s; })
            .frame(width, std::nullopt, Alignment::topLeading());
    }
};

TEST_F(MultilineTextView, TakesTheMeasuredSizeAndShowsItsCutText)
{
    const double width = 150;
    Tree tree(QSizeF(150, 200));
    tree.setRoot(paragraph(width, std::nullopt, TextAlignment::leading));
    time.flush();
    ASSERT_TRUE(laidOut);
    EXPECT_EQ(*laidOut, measureText(text, font, width));
    EXPECT_GT(laidOut->height(), font.lineHeight());

    tree.setRoot(paragraph(width, 2, TextAlignment::leading));
    time.flush();
    EXPECT_EQ(*laidOut, measureText(text, font, width, 2));
    EXPECT_EQ(laidOut->height(), 2 * font.lineHeight());
    const auto items = drawnItems(tree);
    const auto it = std::find_if(items.begin(), items.end(), [](const DrawnItem &i) { return i.kind == DrawnItem::Kind::text; });
    ASSERT_NE(it, items.end());
    EXPECT_EQ(it->text, layoutText(text, font, width, 2).shown);
    EXPECT_TRUE(it->text.endsWith(QChar(0x2026)));
}

TEST_F(MultilineTextView, CentredLinesSitInTheMiddleOfTheTextsWidthLeadingOnesAtItsEdge)
{
    // Lines of clearly different widths.
    const double width = 200;
    const TextBlock block = layoutText(text, font, width);
    ASSERT_GE(block.lines.size(), 2u);
    for (TextAlignment alignment : {TextAlignment::center, TextAlignment::leading}) {
        Tree tree(QSizeF(width, 100));
        tree.setRoot(MultilineText(text, font).multilineTextAlignment(alignment).frame(width, 100, Alignment::topLeading()));
        time.flush();
        const QImage image = tree.render(1.0);
        const double textWidth = std::ceil(block.width);  // the text's own frame, at the left
        for (size_t i = 0; i < block.lines.size(); ++i) {
            int left = image.width(), right = -1;
            const int top = int(i * font.lineHeight()), bottom = int((i + 1) * font.lineHeight());
            for (int y = top; y < bottom; ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(image.pixel(x, y)) > 40) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
            ASSERT_GE(right, 0) << "line " << i << " drawn in its own band";
            if (alignment == TextAlignment::center)
                EXPECT_NEAR((left + right + 1) / 2.0, textWidth / 2, 1.5) << "line " << i;
            else
                EXPECT_LE(left, 2) << "line " << i;
        }
    }
}
