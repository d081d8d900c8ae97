#pragma once

#include "Kit/Kit.h"

namespace vesk {

// The open island on its calendar page: today's date and a sample event on the left, a month of
// dots on the right. The day is today's, read from the application's wall clock.
struct CalendarPagePreview {
    bool showsEvents = false;
    bool showsDots = false;
    bool dimsWeekends = false;
    double scale = 1;

    // The sample colour of today (the tour's miniature calendar uses the same).
    static constexpr kit::Color todayColor = kit::Color::rgb(0.93, 0.33, 0.42);
    static constexpr int rows = 5, columns = 7;
    static constexpr int todayRow = 1, todayCell = 3;
    // Whether the cell carries an event mark when marks are shown (today's cell never comes out marked).
    static bool isMarked(int row, int cell) { return (row * columns + cell) % 4 == 1; }

    friend bool operator==(const CalendarPagePreview &, const CalendarPagePreview &) = default;
    kit::Element body(const kit::Env &) const;
};

}  // namespace vesk
