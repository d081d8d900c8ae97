#pragma once

#include "Platform/Signal.h"

#include <QColor>
#include <QString>

#include <vector>

namespace vesk {

// One event as a calendar store keeps it. Times are wall-clock seconds since the epoch.
struct StoredEvent {
    QString title;  // may be empty
    double start = 0;
    double end = 0;
    bool isAllDay = false;
    QColor color;  // the colour of the event's calendar
    bool operator==(const StoredEvent &) const = default;
};

// The user's calendars. Without access (no calendars found) every query is empty.
class CalendarStore {
public:
    virtual ~CalendarStore() = default;
    virtual bool hasAccess() const = 0;
    // Events that overlap [from, to), in no particular order.
    virtual std::vector<StoredEvent> events(double from, double to) const = 0;

    // Posted on the main thread after the store's contents changed.
    Signal<> changed;

    // The installed store; one with no access unless the application or a test installed another.
    static CalendarStore &shared();
    static void setShared(CalendarStore *store);  // nullptr restores the empty one
};

}  // namespace vesk
