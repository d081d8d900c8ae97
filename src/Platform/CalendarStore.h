#pragma once

#include "Base/Signal.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace vesk {

// What the user allowed Vesk to do with their calendars. The raw values are the store's own.
enum class CalendarAccess { notDetermined = 0, restricted = 1, denied = 2, fullAccess = 3, writeOnly = 4 };

// One occurrence of an event as a calendar store keeps it. Times are wall-clock seconds since the epoch.
struct StoredEvent {
    std::optional<QString> identifier;  // the event's identifier in its calendar (an iCalendar UID)
    std::optional<QString> title;       // absent when the event has none; an empty title stays empty
    double start = 0;
    double end = 0;  // may be before the start in a careless file
    bool isAllDay = false;
    QColor color;  // the colour of the event's calendar
    bool operator==(const StoredEvent &) const = default;
};

// The user's calendars. Without access every query is empty.
class CalendarStore {
public:
    virtual ~CalendarStore() = default;
    virtual CalendarAccess authorizationStatus() const = 0;
    bool hasAccess() const { return authorizationStatus() == CalendarAccess::fullAccess; }
    // Asks for full access; `done` runs on the main queue once the answer is known (whatever it is).
    virtual void requestAccess(std::function<void()> done) = 0;
    // Events that overlap [from, to), in the store's order. Synchronous: reads nothing from disk.
    virtual std::vector<StoredEvent> events(double from, double to) const = 0;
    // Looks at the calendars again, for a store that keeps a copy of them; `changed` follows when
    // something differs.
    virtual void reload() {}

    // Posted on the main thread after the store's contents changed.
    Signal<> changed;

    // The installed store; one with no access unless the application or a test installed another.
    static CalendarStore &shared();
    static void setShared(CalendarStore *store);  // nullptr restores the empty one
    static bool isInstalled();
};

// Whether an event overlaps [from, to): an event that ends at or before its start counts as the
// instant of its start.
inline bool overlaps(const StoredEvent &event, double from, double to)
{
    const double end = event.end > event.start ? event.end : event.start;
    return event.start < to && (end > from || (end == event.start && event.start >= from));
}

}  // namespace vesk
