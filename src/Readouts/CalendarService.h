#pragma once

#include "Platform/CalendarStore.h"
#include "Platform/Observed.h"
#include "Readouts/CalendarEvent.h"

#include <vector>

namespace vesk {

// Today's calendar for the island, read from the installed calendar store. It refreshes itself
// when the store reports a change. Without calendar access nothing changes. Main thread only.
class CalendarService {
public:
    explicit CalendarService(CalendarStore &store = CalendarStore::shared());
    CalendarService(const CalendarService &) = delete;
    CalendarService &operator=(const CalendarService &) = delete;

    // Today's events that have not ended (start before the end of today, end after now), by start.
    const Observed<std::vector<CalendarEvent>> &events() const { return events_; }

    // Reloads today's remaining events.
    void refresh();

private:
    CalendarStore &store_;
    Observed<std::vector<CalendarEvent>> events_;
    Connection storeObserver_;
};

}  // namespace vesk
