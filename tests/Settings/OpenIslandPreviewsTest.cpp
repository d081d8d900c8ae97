#include "PreviewTreeSupport.h"

#include "Kit/Palette.h"
#include "Kit/Primitives.h"
#include "Settings/Previews/CalendarPagePreview.h"
#include "Settings/Previews/ExpandedNotchPreview.h"
#include "Settings/Previews/Miniatures.h"

using namespace vesk;

namespace {

class OpenPreview : public test::PreviewTree {
protected:
    OpenPreview() : PreviewTree(QSizeF(505, 132)) {}
    static ExpandedNotchPreview expanded(bool glass, bool shadow, QString hover = QStringLiteral("roundedSquare"))
    {
        return {glass, std::move(hover), true, true, false, shadow, 1};
    }
    double shadowOpacity() const
    {
        return opacity("shadow") * inside(part("shadow"), "Shadow")->value(kit::Prop::shadowOpacity, -1);
    }
};

}  // namespace

TEST_F(OpenPreview, ExpandedIslandAtScaleOne)
{
    show(expanded(false, true));
    EXPECT_EQ(frame("island").size(), QSizeF(160, 66));
    EXPECT_DOUBLE_EQ(frame("island").top(), 0);
    EXPECT_DOUBLE_EQ(shapeData("island", "Clip", 0), 5);
    EXPECT_DOUBLE_EQ(shapeData("island", "Clip", 1), 13);
    // The highlight line keeps its hairline size at any scale.
    show(ExpandedNotchPreview{true, "circle", true, true, false, true, 2});
    EXPECT_EQ(frame("island").size(), QSizeF(320, 132));
    EXPECT_EQ(frame("highlight").size(), QSizeF(248, 1.3));
    EXPECT_DOUBLE_EQ(frame("highlight").bottom(), 132);
}

TEST_F(OpenPreview, ShadowOnlyWithoutGlassAndHighlightOnlyWithIt)
{
    struct Case {
        bool glass, shadow;
        double shadowAlpha, highlightAlpha, blackOpacity;
    };
    for (const Case &c : {Case{false, false, 0, 0, 1}, Case{false, true, 0.4, 0, 1}, Case{true, false, 0, 0.8, 0},
                          Case{true, true, 0, 0.8, 0}}) {
        show(expanded(c.glass, c.shadow));
        EXPECT_NEAR(shadowOpacity(), c.shadowAlpha, 1e-9) << c.glass << c.shadow;
        EXPECT_NEAR(fill("highlight").a, c.highlightAlpha, 1e-9) << c.glass << c.shadow;
        EXPECT_DOUBLE_EQ(opacity("black"), c.blackOpacity) << c.glass << c.shadow;
    }
}

TEST_F(OpenPreview, ThreePlateStyles)
{
    show(expanded(false, false, "none"));
    EXPECT_DOUBLE_EQ(fill("plate").a, 0);
    show(expanded(false, false, "circle"));
    EXPECT_NEAR(fill("plate").a, 0.2, 1e-9);
    EXPECT_DOUBLE_EQ(shapeData("plate", "Shape", 0), 7.5);  // half of 15: a circle
    for (const char *other : {"roundedSquare", "", "squircle"}) {
        show(expanded(false, false, other));
        EXPECT_NEAR(fill("plate").a, 0.2, 1e-9) << other;
        EXPECT_DOUBLE_EQ(shapeData("plate", "Shape", 0), 4) << other;
    }
    EXPECT_EQ(frame("plate").size(), QSizeF(15, 15));
}

TEST_F(OpenPreview, GlassAndHoverStyleAnimateTheOthersJump)
{
    show(expanded(false, false, "none"));
    show(expanded(true, false, "circle"), 0.05);
    EXPECT_GT(opacity("black"), 0.05);
    EXPECT_LT(opacity("black"), 0.95);
    EXPECT_GT(fill("plate").a, 0.01);
    EXPECT_LT(fill("plate").a, 0.19);
    time.advance(5);

    show(ExpandedNotchPreview{true, "circle", false, true, false, false, 1}, 0);
    EXPECT_FALSE(has("output"));
    EXPECT_FALSE(tree.isAnimating());
}

TEST_F(OpenPreview, BarsAreRemovedWhenOffAndTheTitlesKeepTheirSize)
{
    show(ExpandedNotchPreview{false, "circle", true, true, true, false, 1});
    ASSERT_TRUE(has("bars"));
    EXPECT_EQ(fill("bars"), MiniArtwork::accent);
    EXPECT_DOUBLE_EQ(frame("bars").height(), 7);
    show(ExpandedNotchPreview{false, "circle", true, false, true, false, 1});
    EXPECT_FALSE(has("bars"));
    EXPECT_TRUE(has("output"));
}

namespace {

class CalendarPreview : public test::PreviewTree {
protected:
    CalendarPreview() : PreviewTree(QSizeF(505, 132)) {}
    const kit::Node &cell(int row, int column) const
    {
        return *tree.find(row * CalendarPagePreview::columns + column)->firstLiveChild();
    }
    double markOpacity(int row, int column) const
    {
        return inside(cell(row, column), "Opacity")->value(kit::Prop::opacity, -1);
    }
    double circleAlpha(int row, int column) const
    {
        return inside(cell(row, column), "Shape")->value(kit::Prop::colorA, -1);
    }
};

}  // namespace

TEST_F(CalendarPreview, NineMarksAtTheirCells)
{
    show(CalendarPagePreview{false, true, false, 1});
    const std::vector<std::pair<int, int>> marked = {{0, 1}, {0, 5}, {1, 2}, {1, 6}, {2, 3},
                                                     {3, 0}, {3, 4}, {4, 1}, {4, 5}};
    int count = 0;
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 7; ++column) {
            const bool expected = std::find(marked.begin(), marked.end(), std::pair(row, column)) != marked.end();
            EXPECT_DOUBLE_EQ(markOpacity(row, column), expected ? 1 : 0) << row << "," << column;
            count += markOpacity(row, column) == 1;
        }
    EXPECT_EQ(count, 9);
    EXPECT_DOUBLE_EQ(markOpacity(1, 3), 0);  // today

    // The mark hangs 2s below its circle's bottom edge.
    show(CalendarPagePreview{false, true, false, 2});
    const QRectF circle = cell(0, 1).frameInTree();
    const kit::Node *mark = inside(cell(0, 1), "Offset");
    ASSERT_NE(mark, nullptr);
    EXPECT_DOUBLE_EQ(mark->frameInTree().bottom(), circle.bottom() + 4);
    EXPECT_EQ(mark->frameInTree().size(), QSizeF(5, 2));

    show(CalendarPagePreview{false, false, false, 1});
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 7; ++column)
            EXPECT_DOUBLE_EQ(markOpacity(row, column), 0);
}

TEST_F(CalendarPreview, OnlyTheLastTwoColumnsDimAndTodayNever)
{
    show(CalendarPagePreview{false, false, true, 1});
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 7; ++column) {
            if (row == 1 && column == 3)
                continue;
            EXPECT_NEAR(circleAlpha(row, column), column >= 5 ? 0.3 : 0.85, 1e-9) << row << "," << column;
        }
    const kit::Node *today = inside(cell(1, 3), "Shape");
    EXPECT_NEAR(today->value(kit::Prop::colorR, -1), 0.93, 1e-9);
    EXPECT_NEAR(today->value(kit::Prop::colorA, -1), 1, 1e-9);
    show(CalendarPagePreview{false, false, false, 1});
    EXPECT_NEAR(circleAlpha(0, 6), 0.85, 1e-9);
}

TEST_F(CalendarPreview, EventBarHidesInPlaceAndTheDayComesFromTheClock)
{
    time.jumpWall(QDateTime(QDate(2025, 3, 17), QTime(12, 0), Qt::LocalTime).toSecsSinceEpoch() - time.wallNow());
    show(CalendarPagePreview{true, true, true, 1});
    const QRectF day = frame("day"), bar = frame("event");
    const kit::Node *text = inside(part("day"), "Text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(static_cast<const kit::TextSpec &>(text->spec()).text, QStringLiteral("17"));
    EXPECT_DOUBLE_EQ(opacity("event"), 1);
    EXPECT_EQ(fill("event"), kit::palette::blue.opacity(0.5));
    EXPECT_EQ(bar.size(), QSizeF(46, 7));

    show(CalendarPagePreview{false, true, true, 1});
    EXPECT_DOUBLE_EQ(opacity("event"), 0);
    EXPECT_EQ(frame("day"), day);
    EXPECT_EQ(frame("event"), bar);
    EXPECT_EQ(frame("island").size(), QSizeF(160, 66));
}

TEST_F(CalendarPreview, SwitchesAnimate)
{
    show(CalendarPagePreview{false, false, false, 1});
    show(CalendarPagePreview{true, true, true, 1}, 0.05);
    EXPECT_GT(opacity("event"), 0.01);
    EXPECT_LT(opacity("event"), 0.99);
    EXPECT_GT(markOpacity(0, 1), 0.01);
    EXPECT_LT(markOpacity(0, 1), 0.99);
    EXPECT_GT(circleAlpha(0, 6), 0.31);
    EXPECT_LT(circleAlpha(0, 6), 0.84);
}
