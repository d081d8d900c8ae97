#include "Readouts/Views/CalendarView.h"
#include "Readouts/Views/MonthGrid.h"
#include "Readouts/Views/TimerView.h"
#include "NowPlaying/Views/ControlButton.h"

#include "Base/VirtualTime.h"

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
