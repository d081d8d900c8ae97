#pragma once

#include <QColor>
#include <QString>

#include <algorithm>
#include <map>
#include <vector>

namespace vesk {

// Colours as the calendar compares them: by their RGBA value (two equal colours may be kept in
// different specs).
inline bool sameColour(const QColor &a, const QColor &b) { return a.rgba() == b.rgba(); }

// One of today's events as the views show it. Times are wall-clock seconds since the epoch.
struct CalendarEvent {
    QString id;     // the event's identifier, "@", then its start ("abc@1736157600.0")
    QString title;  // "Untitled" when the event has none
    double start = 0;
    bool isAllDay = false;
    QColor color;  // the colour of the event's calendar

    friend bool operator==(const CalendarEvent &a, const CalendarEvent &b)
    {
        return a.id == b.id && a.title == b.title && a.start == b.start && a.isAllDay == b.isAllDay
               && sameColour(a.color, b.color);
    }
};

// The day dots of a month: for each day of the month with events, up to three calendar colours.
struct DayDots {
    std::map<int, std::vector<QColor>> days;

    friend bool operator==(const DayDots &a, const DayDots &b)
    {
        return a.days.size() == b.days.size()
               && std::equal(a.days.begin(), a.days.end(), b.days.begin(), [](const auto &x, const auto &y) {
                      return x.first == y.first
                             && std::equal(x.second.begin(), x.second.end(), y.second.begin(), y.second.end(), sameColour);
                  });
    }
    const std::vector<QColor> &operator[](int day) const
    {
        static const std::vector<QColor> none;
        auto it = days.find(day);
        return it == days.end() ? none : it->second;
    }
    bool empty() const { return days.empty(); }
};

}  // namespace vesk
