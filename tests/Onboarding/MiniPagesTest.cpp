#include "Onboarding/TourTestSupport.h"

#include "Onboarding/MiniPages.h"

#include <QImage>

#include <map>

using namespace vesk;
using namespace kit;

namespace {

constexpr double renderScale = 4;

class MiniPages : public test::TourTest {
protected:
    void mount(Element content)
    {
        tree.setRoot(std::move(content));
        settle();
        image = tree.render(renderScale);
        origin = tree.root()->frameInTree().topLeft();
    }
    // The rendered colour at tree point p; the pages draw on nothing, so the alpha is the paint.
    QColor at(QPointF p) const { return image.pixelColor((p * renderScale).toPoint()); }
    static bool isRed(const QColor &c) { return c.alphaF() > 0.5 && c.redF() > 0.8 && c.greenF() < 0.5; }

    QImage image;
    QPointF origin;  // the mounted content's top-left corner in the tree
};

}  // namespace

TEST_F(MiniPages, EveryOpenPageIsExactly184By93)
{
    const Element pages[] = {view(MiniPlayer{}), view(MiniCalendar{}), view(MiniTimer{})};
    for (const Element &page : pages) {
        mount(page);
        ASSERT_TRUE(tree.root());
        EXPECT_EQ(tree.root()->size(), QSizeF(184, 93));
    }
}

TEST_F(MiniPages, TheCalendarShowsThirtyOneDaysFromTheFourthWeekdayWithOneRedDotBehindTheSixth)
{
    mount(view(MiniCalendar{}));
    // The grid is the right-hand column; the big "6" of today stands on the left.
    const double gridLeft = origin.x() + 184 - 10.5 - 80;
    std::vector<DrawnItem> letters;
    std::map<int, QRectF> days;
    for (const DrawnItem &t : visible(DrawnItem::Kind::text)) {
        if (t.rect.left() < gridLeft)
            continue;
        bool isNumber = false;
        const int day = t.text.toInt(&isNumber);
        if (isNumber) {
            EXPECT_FALSE(days.count(day)) << "day " << day << " drawn twice";
            days[day] = t.rect;
        } else if (t.text.size() == 1) {
            letters.push_back(t);
        }
    }
    ASSERT_EQ(days.size(), 31u);
    EXPECT_EQ(days.begin()->first, 1);
    EXPECT_EQ(days.rbegin()->first, 31);
    ASSERT_EQ(letters.size(), 7u);
    std::sort(letters.begin(), letters.end(), [](const DrawnItem &a, const DrawnItem &b) { return a.rect.left() < b.rect.left(); });
    EXPECT_EQ(letters[3].text, QStringLiteral("T"));
    EXPECT_NEAR(days[1].center().x(), letters[3].rect.center().x(), 0.01) << "day 1 under the fourth letter";
    EXPECT_LT(days[1].top(), days[8].top()) << "and a week above day 8";
    EXPECT_NEAR(days[8].center().x(), letters[3].rect.center().x(), 0.01);

    // The dot is 8 across inside a cell 11.5 wide: a point 3 beside the digit's centre lies on it
    // and clear of the digit.
    int red = 0;
    for (const auto &[day, rect] : days) {
        const bool dotted = isRed(at(QPointF(rect.center().x() - 3, rect.center().y())));
        red += dotted;
        EXPECT_EQ(dotted, day == 6) << "day " << day;
    }
    EXPECT_EQ(red, 1);
}

TEST_F(MiniPages, TheTrackBarIsFortyPercentPlayedAtAnyWidth)
{
    for (const double width : {60.0, 173.0}) {
        mount(MiniPlayer::trackBar().frame(width, std::nullopt));
        const double y = origin.y() + 2.7 / 2;
        const double edge = origin.x() + width * 0.4;
        const QColor played = at(QPointF(edge - 1.5, y));
        const QColor left = at(QPointF(edge + 1.5, y));
        // The played part lies over the track: 0.55 white over 0.16 white.
        EXPECT_NEAR(played.alphaF(), 1 - (1 - 0.55) * (1 - 0.16), 0.03) << "width " << width;
        EXPECT_NEAR(left.alphaF(), 0.16, 0.03) << "width " << width;
        EXPECT_NEAR(at(QPointF(origin.x() + width - 3, y)).alphaF(), 0.16, 0.03) << "the track runs to the end";
    }
}

TEST_F(MiniPages, OnlyTimerAndFiveMinutesAreSelectedOnTheTimerPage)
{
    mount(view(MiniTimer{}));
    QStringList selected, chips;
    for (const DrawnItem &t : visible(DrawnItem::Kind::text)) {
        if (t.text == QLatin1String("5:00"))
            continue;
        chips << t.text;
        // Inside the chip's 4.5-point side padding: the capsule's own paint.
        if (at(QPointF(t.rect.left() - 2.5, t.rect.center().y())).alphaF() > 0.5)
            selected << t.text;
    }
    EXPECT_EQ(chips, (QStringList{"Timer", "Stopwatch", "1m", "5m", "10m", "25m"}));
    EXPECT_EQ(selected, (QStringList{"Timer", "5m"}));
}
