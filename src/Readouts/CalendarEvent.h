#pragma once

#include <QColor>
#include <QString>

namespace vesk {

// A calendar event as the island reads it. Times are wall-clock seconds since the epoch.
struct CalendarEvent {
    QString title;  // "Untitled" when the event has none
    double start = 0;
    double end = 0;
    bool isAllDay = false;  // all-day events are never an upcoming event
    QColor color;           // the calendar's colour
    bool operator==(const CalendarEvent &) const = default;
};

}  // namespace vesk
