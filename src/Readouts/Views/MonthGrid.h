#pragma once

#include "Kit/Kit.h"
#include "Readouts/CalendarEvent.h"
#include "Readouts/UserCalendar.h"

#include <array>
#include <optional>
#include <vector>

namespace vesk {

// Seven days of a month laid out in a grid row; blank cells before the 1st and after the last day.
using Week = std::array<std::optional<int>, 7>;

// One day of the month grid: its number (on the accent circle when it is today, dimmed on a dimmed
// weekend) and under it a dash per calendar colour of the day.
struct DayCell {
    std::optional<int> day;
    bool isToday = false;
    bool isWeekend = false;
    std::vector<QColor> dots;
    kit::Color accent;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const DayCell &a, const DayCell &b)
    {
        return a.day == b.day && a.isToday == b.isToday && a.isWeekend == b.isWeekend && a.accent == b.accent
               && std::equal(a.dots.begin(), a.dots.end(), b.dots.begin(), b.dots.end(), sameColour);
    }
};

// The compact month calendar of the calendar page: the month's short name, the weekday letters and
// a row of day cells per week. It draws the day dots it is given and computes nothing about events.
struct MonthGrid {
    double today = 0;  // wall-clock seconds of the day to mark; the grid shows its month
    DayDots dots;
    bool dimWeekends = true;
    kit::Color accent;
    double headerInset = 14;  // the month name's least height, so it clears a notch
    std::optional<UserCalendar> calendar;  // the user's unless set

    // The month containing `date`, in weeks that start on the calendar's first weekday.
    static std::vector<Week> weeks(QDate date, const UserCalendar &calendar);
    // The very short weekday names, Sunday first.
    static std::array<QString, 7> weekdaySymbols(const QLocale &locale);
    // The very short weekday names in the grid's column order, from the first weekday.
    static std::array<QString, 7> weekdayRow(const UserCalendar &calendar);
    // The short month name, upper-cased ("JAN").
    static QString monthName(QDate date, const QLocale &locale);

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const MonthGrid &a, const MonthGrid &b)
    {
        return a.today == b.today && a.dots == b.dots && a.dimWeekends == b.dimWeekends && a.accent == b.accent
               && a.headerInset == b.headerInset && a.calendar.has_value() == b.calendar.has_value();
    }
};

}  // namespace vesk
