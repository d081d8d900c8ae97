#pragma once

#include "Kit/Kit.h"
#include "Readouts/CalendarEvent.h"

namespace vesk {

// One row of the calendar page's agenda: the calendar symbol on the calendar's colour, the title in
// a lighter shade of it, on a faint capsule of that colour. Its time is only in the tooltip.
struct EventPill {
    CalendarEvent event;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const EventPill &, const EventPill &) = default;

    // The title's colour: each sRGB component of the calendar's colour raised by 0.25.
    static kit::Color titleColour(const QColor &calendar);
    // The title alone for an all-day event, else the short start time, a space and the title.
    static QString tooltip(const CalendarEvent &event);
};

// The calendar page of the open island: the weekday and date over today's agenda on the left, the
// month grid on the right. It reads the island model from the environment.
struct CalendarView {
    static constexpr kit::Color accent = kit::Color::rgb(0.93, 0.33, 0.42);
    static constexpr double gridWidth = 150;

    // The month name's least height: 14 in pill style, else the notch height less 10, at least 14.
    static double headerInset(bool isPill, double notchHeight);

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const CalendarView &, const CalendarView &) = default;
};

}  // namespace vesk
