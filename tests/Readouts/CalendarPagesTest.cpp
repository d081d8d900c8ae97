#include "Readouts/Views/CalendarView.h"
#include "Readouts/Views/MonthGrid.h"
#include "Readouts/Views/TimerView.h"
#include "NowPlaying/Views/ControlButton.h"

#include "Base/VirtualTime.h"
#include "Kit/DrawnItems.h"
#include "Kit/Node.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

std::vector<std::optional<int>> flat(const std::vector<Week> &weeks)
{
    std::vector<std::optional<int>> cells;
    for (const auto &week : weeks)
        cells.insert(cells.end(), week.begin(), week.end());
    return cells;
}

int leadingBlanks(const std::vector<Week> &weeks)
{
    int n = 0;
    for (const auto &cell : flat(weeks)) {
        if (cell)
            break;
        ++n;
    }
    return n;
}

UserCalendar in(const QLocale &locale) { return {QTimeZone::utc(), locale}; }

}  // namespace

TEST(MonthGridWeeks, LayOutTheMonthFromTheFirstWeekday)
{
    // March 2025: 31 days, the 1st a Saturday.
    const auto sundayFirst = MonthGrid::weeks(QDate(2025, 3, 17), in(QLocale(QLocale::English, QLocale::UnitedStates)));
    ASSERT_EQ(sundayFirst.size(), 6u);
    EXPECT_EQ(leadingBlanks(sundayFirst), 6);
    EXPECT_EQ(flat(sundayFirst).size(), 42u);  // 6 + 31 + 5
    EXPECT_FALSE(flat(sundayFirst)[37]);
    EXPECT_EQ(flat(sundayFirst)[36], 31);

    const auto mondayFirst = MonthGrid::weeks(QDate(2025, 3, 1), in(QLocale::c()));
    EXPECT_EQ(leadingBlanks(mondayFirst), 5);
    EXPECT_EQ(mondayFirst.size(), 6u);

    // Saturday first (Persian): the 1st is in the first column.
    const auto saturdayFirst = MonthGrid::weeks(QDate(2025, 3, 1), in(QLocale(QLocale::Persian, QLocale::Iran)));
    EXPECT_EQ(in(QLocale(QLocale::Persian, QLocale::Iran)).firstWeekday(), 7);
    EXPECT_EQ(leadingBlanks(saturdayFirst), 0);
    EXPECT_EQ(saturdayFirst.size(), 5u);

    // February 2026: 28 days from a Sunday: four full weeks with Sunday first.
    const auto february = MonthGrid::weeks(QDate(2026, 2, 10), in(QLocale(QLocale::English, QLocale::UnitedStates)));
    ASSERT_EQ(february.size(), 4u);
    EXPECT_EQ(february.front()[0], 1);
    EXPECT_EQ(february.back()[6], 28);
    EXPECT_TRUE(MonthGrid::weeks(QDate(), in(QLocale::c())).empty());
}

TEST(MonthGridWeeks, WeekdayNamesAndWeekdaysAreCountedFromSunday)
{
    EXPECT_EQ(UserCalendar::weekday(Qt::Sunday), 1);
    EXPECT_EQ(UserCalendar::weekday(Qt::Monday), 2);
    EXPECT_EQ(UserCalendar::weekday(Qt::Saturday), 7);
    EXPECT_EQ(in(QLocale::c()).firstWeekday(), 2);
    EXPECT_EQ(in(QLocale(QLocale::English, QLocale::UnitedStates)).firstWeekday(), 1);
    const auto symbols = MonthGrid::weekdaySymbols(QLocale::c());
    EXPECT_EQ(symbols[0], "S");
    EXPECT_EQ(symbols[1], "M");
    EXPECT_EQ(symbols[6], "S");
    EXPECT_EQ(MonthGrid::monthName(QDate(2025, 1, 6), QLocale::c()), "JAN");
}

TEST(CalendarPage, HeaderInsetPillColourAndTooltip)
{
    EXPECT_EQ(CalendarView::headerInset(true, 38), 14);
    EXPECT_EQ(CalendarView::headerInset(false, 38), 28);
    EXPECT_EQ(CalendarView::headerInset(false, 20), 14);
    const kit::Color title = EventPill::titleColour(QColor::fromRgbF(0.5, 0.9, 0.1));
    EXPECT_NEAR(title.r, 0.75, 1e-3);
    EXPECT_NEAR(title.g, 1.0, 1e-9);  // clamped
    EXPECT_NEAR(title.b, 0.35, 1e-3);

    UserCalendar::setCurrent(UserCalendar{QTimeZone::utc(), QLocale::c()});
    const double nineThirty = QDateTime(QDate(2025, 1, 6), QTime(9, 30, 15), Qt::UTC).toSecsSinceEpoch();
    EXPECT_EQ(EventPill::tooltip({"a@1.0", "Standup", nineThirty, false, Qt::red}), "09:30 Standup");
    EXPECT_EQ(EventPill::tooltip({"a@1.0", "Holiday", nineThirty, true, Qt::red}), "Holiday");
    UserCalendar::setCurrent(std::nullopt);
}

class TimerPageTest : public ::testing::Test {
protected:
    VirtualTime time;
    CountdownTimer timer;
    double now() const { return time.wallNow(); }
    std::vector<int> selected(const TimerView::Plan &p) const
    {
        std::vector<int> minutes;
        for (const auto &[m, on] : p.presetChips)
            if (on)
                minutes.push_back(m);
        return minutes;
    }
};

TEST_F(TimerPageTest, FollowsTheTimersState)
{
    auto p = TimerView::plan(timer, true, now());
    EXPECT_EQ(p.text, "5:00");
    EXPECT_EQ(selected(p), std::vector<int>{5});
    EXPECT_EQ(p.resetOpacity, 0.3);
    EXPECT_FALSE(p.resetEnabled);
    EXPECT_EQ(p.playSymbol, "play.fill");
    EXPECT_EQ(p.tickPeriod, 3600);

    timer.start();
    time.advance(10);
    p = TimerView::plan(timer, true, now());
    EXPECT_TRUE(selected(p).empty());  // running: none selected
    EXPECT_EQ(p.tickPeriod, 0.25);
    EXPECT_EQ(p.playSymbol, "pause.fill");
    EXPECT_EQ(ControlButton::accessibilityName(p.playSymbol, std::nullopt), "Pause");
    EXPECT_EQ(TimerView::plan(timer, false, now()).tickPeriod, 3600);  // closed: no ticks

    timer.setDuration(25 * 60);  // the 25m chip while running
    p = TimerView::plan(timer, true, now());
    EXPECT_FALSE(timer.isRunning().peek());
    EXPECT_EQ(p.text, "25:00");
    EXPECT_EQ(selected(p), std::vector<int>{25});

    timer.start();
    time.advance(3);
    timer.pause();
    p = TimerView::plan(timer, true, now());
    EXPECT_EQ(p.textOpacity, 0.55);
    EXPECT_TRUE(p.resetEnabled);
    EXPECT_EQ(p.resetOpacity, 1.0);
    EXPECT_TRUE(selected(p).empty());
    timer.reset();
    EXPECT_EQ(TimerView::plan(timer, true, now()).resetOpacity, 0.3);

    timer.setDuration(90);
    EXPECT_TRUE(selected(TimerView::plan(timer, true, now())).empty());

    timer.setMode(CountdownTimer::Mode::stopwatch);
    p = TimerView::plan(timer, true, now());
    EXPECT_TRUE(p.presetChips.empty());
    EXPECT_EQ(p.text, "0:00");
}

TEST(MonthGridDrawing, TodayOnTheAccentCircleAndDashesUnderDays)
{
    VirtualTime time(QDateTime(QDate(2025, 1, 14), QTime(12, 0), Qt::UTC).toSecsSinceEpoch());
    DayDots dots;
    dots.days[20] = {QColor("#ff0000"), QColor("#00ff00"), QColor("#0000ff")};
    dots.days[14] = {QColor("#00ff00")};  // today: hidden
    const kit::Color accent = CalendarView::accent;
    MonthGrid grid{time.wallNow(), dots, true, accent, 14, UserCalendar{QTimeZone::utc(), QLocale::c()}};
    kit::Tree tree(QSizeF(150, 110));
    tree.setRoot(kit::view(grid).background(kit::Fill(kit::Color::black())));
    const QImage image = tree.render(2);
    image.save(QStringLiteral(VESK_BUILD_DIR "/month-grid.png"));
    int accentPixels = 0, red = 0, green = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 250)
                continue;
            if (std::abs(c.redF() - accent.r) < 0.02 && std::abs(c.greenF() - accent.g) < 0.02 && std::abs(c.blueF() - accent.b) < 0.02)
                ++accentPixels;
            red += c.red() > 250 && c.green() < 5 && c.blue() < 5;
            green += c.green() > 250 && c.red() < 5 && c.blue() < 5;
            blue += c.blue() > 250 && c.red() < 5 && c.green() < 5;
        }
    EXPECT_GT(accentPixels, 200);  // the circle (and the month name)
    EXPECT_GT(red, 4);             // 3 x 1.5 points at scale 2
    EXPECT_GT(blue, 4);
    EXPECT_LT(green, red * 2);     // only day 20's green dash: today's is transparent
}

namespace {

// The grid's texts as drawn, each with its colour's alpha.
struct GridText {
    QString text;
    QRectF rect;
    double alpha;
};
std::vector<GridText> gridTexts(const kit::Tree &tree)
{
    std::vector<GridText> texts;
    for (const auto &item : kit::drawnItems(tree))
        if (item.kind == kit::DrawnItem::Kind::text && item.isVisible())
            texts.push_back({item.text, item.rect, item.node->value(kit::Prop::colorA, -1)});
    return texts;
}
const GridText *dayText(const std::vector<GridText> &texts, const QString &day)
{
    // Day numbers follow the header and the seven letters.
    for (size_t i = 8; i < texts.size(); ++i)
        if (texts[i].text == day)
            return &texts[i];
    return nullptr;
}

void collectDashes(const kit::Node *node, std::vector<QRectF> &out)
{
    if (std::string(node->spec().kind()) == "Shape" && std::abs(node->size().width() - 3) < 1e-6
        && std::abs(node->size().height() - 1.5) < 1e-6 && node->value(kit::Prop::colorA, 0) > 0)
        out.push_back(node->frameInTree());
    for (const auto &c : node->children())
        collectDashes(c.get(), out);
}

}  // namespace

TEST(MonthGridDrawing, WeekdayRowDimmingAndDashesFollowTheFirstWeekday)
{
    // Sunday 12 January 2025 is today; the C locale starts weeks on Monday.
    VirtualTime time(QDateTime(QDate(2025, 1, 12), QTime(12, 0), Qt::UTC).toSecsSinceEpoch());
    DayDots dots;
    dots.days[20] = {QColor("#ff0000"), QColor("#00ff00"), QColor("#0000ff")};
    auto draw = [&](bool dimWeekends) {
        auto tree = std::make_unique<kit::Tree>(QSizeF(150, 130));
        tree->setRoot(kit::view(MonthGrid{time.wallNow(), dots, dimWeekends, CalendarView::accent, 14,
                                          UserCalendar{QTimeZone::utc(), QLocale::c()}}));
        tree->update();
        return tree;
    };
    const auto dimmed = draw(true);
    const auto texts = gridTexts(*dimmed);
    ASSERT_GE(texts.size(), 8u + 31u);
    EXPECT_EQ(texts[0].text, "JAN");
    const char *letters[] = {"M", "T", "W", "T", "F", "S", "S"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(texts[size_t(i) + 1].text, letters[i]) << i;
        EXPECT_NEAR(texts[size_t(i) + 1].alpha, i >= 5 ? 0.4 : 1.0, 1e-6) << i;  // the last two columns
    }
    EXPECT_NEAR(dayText(texts, "11")->alpha, 0.4, 1e-6);  // a Saturday
    EXPECT_NEAR(dayText(texts, "13")->alpha, 1.0, 1e-6);  // a Monday
    EXPECT_NEAR(dayText(texts, "12")->alpha, 1.0, 1e-6);  // today, a Sunday: full white on the circle
    // The 1st is a Wednesday: two blank cells, in the third column.
    EXPECT_GT(dayText(texts, "1")->rect.left(), texts[3].rect.left() - 8);
    EXPECT_LT(dayText(texts, "1")->rect.left(), texts[4].rect.left() - 8);

    // Three dashes, 3 x 1.5 with 1 point between, centred under the 20.
    std::vector<QRectF> dashes;
    collectDashes(dimmed->root(), dashes);
    ASSERT_EQ(dashes.size(), 3u);
    std::sort(dashes.begin(), dashes.end(), [](const QRectF &a, const QRectF &b) { return a.left() < b.left(); });
    EXPECT_NEAR(dashes[1].left() - dashes[0].right(), 1, 1e-6);
    EXPECT_NEAR(dashes[2].left() - dashes[1].right(), 1, 1e-6);
    const QRectF twenty = dayText(texts, "20")->rect;
    EXPECT_NEAR((dashes[0].left() + dashes[2].right()) / 2, twenty.center().x(), 0.01);
    EXPECT_GT(dashes[0].top(), twenty.bottom());

    const auto plain = draw(false);
    for (const auto &t : gridTexts(*plain))
        if (t.text != "JAN") {
            EXPECT_NEAR(t.alpha, 1.0, 1e-6) << t.text.toStdString();
        }
}
