#include "Readouts/Views/MonthGrid.h"

namespace vesk {

using namespace kit;

namespace {
constexpr double dayFrame = 16;
constexpr double dashWidth = 3;
constexpr double dashHeight = 1.5;
constexpr double dashSpacing = 1;
constexpr double dimmed = 0.4;

bool isWeekendColumn(int sundayBased) { return sundayBased == 0 || sundayBased == 6; }
// The weekday (0 = Sunday) shown in grid column `column`.
int sundayBasedColumn(int column, int firstWeekday) { return (column + firstWeekday - 1) % 7; }
}  // namespace

std::vector<Week> MonthGrid::weeks(QDate date, const UserCalendar &calendar)
{
    if (!date.isValid())
        return {};
    const QDate first(date.year(), date.month(), 1);
    const int days = first.daysInMonth();
    if (days <= 0)
        return {};
    const int leading = (UserCalendar::weekday(Qt::DayOfWeek(first.dayOfWeek())) - calendar.firstWeekday() + 7) % 7;
    std::vector<std::optional<int>> cells(size_t(leading), std::nullopt);
    for (int day = 1; day <= days; ++day)
        cells.emplace_back(day);
    if (cells.size() % 7 != 0)
        cells.resize(cells.size() + 7 - cells.size() % 7, std::nullopt);
    std::vector<Week> weeks;
    for (size_t i = 0; i < cells.size(); i += 7) {
        Week week;
        std::copy(cells.begin() + long(i), cells.begin() + long(i) + 7, week.begin());
        weeks.push_back(week);
    }
    return weeks;
}

std::array<QString, 7> MonthGrid::weekdaySymbols(const QLocale &locale)
{
    std::array<QString, 7> symbols;
    symbols[0] = locale.standaloneDayName(Qt::Sunday, QLocale::NarrowFormat);
    for (int qt = 1; qt <= 6; ++qt)
        symbols[size_t(qt)] = locale.standaloneDayName(qt, QLocale::NarrowFormat);
    return symbols;
}

std::array<QString, 7> MonthGrid::weekdayRow(const UserCalendar &calendar)
{
    const auto symbols = weekdaySymbols(calendar.locale);
    std::array<QString, 7> row;
    for (int i = 0; i < 7; ++i)
        row[size_t(i)] = symbols[size_t(sundayBasedColumn(i, calendar.firstWeekday()))];
    return row;
}

QString MonthGrid::monthName(QDate date, const QLocale &locale)
{
    return locale.toUpper(locale.monthName(date.month(), QLocale::ShortFormat));
}

Element DayCell::body(const Env &) const
{
    if (!day)
        return Fill(Color::clear());
    const QLocale locale = UserCalendar::current().locale;
    Elements dashes;
    for (const QColor &colour : dots)
        dashes.push_back(Fill(Capsule(), Color::fromQColor(colour)).frame(dashWidth, dashHeight));
    return Text(locale.toString(*day), Font::system(10.5, Weight::semibold),
                Color::white(isWeekend && !isToday ? dimmed : 1))
        .frame(dayFrame, dayFrame)
        .background(Fill(Circle(), isToday ? accent : Color::clear()))
        .overlay(HStack({.spacing = dashSpacing}, dashes).offset(0, dashHeight).opacity(isToday ? 0 : 1),
                 Alignment::bottom());
}

Element MonthGrid::body(const Env &) const
{
    const UserCalendar cal = calendar ? *calendar : UserCalendar::current();
    const QDate date = cal.date(today);
    const int todayNumber = date.day();
    const int first = cal.firstWeekday();
    const auto symbols = weekdayRow(cal);

    Elements rows;
    rows.push_back(Text(monthName(date, cal.locale), Font::system(11, Weight::semibold), accent)
                       .frame(Element::Limits{.maxWidth = infinity, .minHeight = headerInset, .alignment = Alignment::topTrailing()}));
    Elements letters;
    for (int i = 0; i < 7; ++i) {
        letters.push_back(Text(symbols[size_t(i)], Font::system(10, Weight::bold),
                               Color::white(dimWeekends && isWeekendColumn(sundayBasedColumn(i, first)) ? dimmed : 1))
                              .frame(Element::Limits{.maxWidth = infinity}));
    }
    rows.push_back(HStack({.spacing = 0}, letters).frame(Element::Limits{.maxHeight = infinity}));
    for (const Week &week : weeks(date, cal)) {
        Elements cells;
        for (int d = 0; d < 7; ++d) {
            const auto day = week[size_t(d)];
            cells.push_back(view(DayCell{day, day && *day == todayNumber, dimWeekends && isWeekendColumn(sundayBasedColumn(d, first)),
                                         day ? dots[*day] : std::vector<QColor>{}, accent})
                                .frame(Element::Limits{.maxWidth = infinity, .maxHeight = infinity}));
        }
        rows.push_back(HStack({.spacing = 0}, cells).frame(Element::Limits{.maxHeight = infinity}));
    }
    return VStack({.alignment = Alignment::center(), .spacing = 0}, rows);
}

}  // namespace vesk
