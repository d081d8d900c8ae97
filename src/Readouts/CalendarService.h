#pragma once

#include "Platform/CalendarStore.h"
#include "Base/Lifetime.h"
#include "Base/MainQueue.h"
#include "Base/Observed.h"
#include "Readouts/CalendarEvent.h"
#include "Readouts/UserCalendar.h"

#include <memory>
#include <vector>

namespace vesk {

// The island's calendar: today's remaining events and this month's day dots, read from the installed
// calendar store. It refreshes itself when the store reports a change; everything else is driven by
// `refresh()`. Main thread only.
class CalendarService {
public:
    explicit CalendarService(CalendarStore &store = CalendarStore::shared());
    CalendarService(const CalendarService &) = delete;
    CalendarService &operator=(const CalendarService &) = delete;

    // Today's events that have not ended (start before the start of tomorrow, end after now), by start.
    const Observed<std::vector<CalendarEvent>> &events() const { return events_; }
    // The day dots of the month that contains now.
    const Observed<DayDots> &dots() const { return dots_; }
    // The store reports full access.
    const Observed<bool> &isAuthorized() const { return isAuthorized_; }

    // Re-reads the access and the events and publishes what changed. A store that keeps a copy of
    // the calendars is asked to look at them again too; what it finds comes with its `changed`.
    void refresh();
    // Asks the store for access; the service refreshes on the main queue once it answered.
    void requestAccess();

    // The calendar days are counted in; the user's unless set (tests).
    void setCalendar(UserCalendar calendar) { calendar_ = std::move(calendar); }

private:
    void publish();

    CalendarStore &store_;
    std::optional<UserCalendar> calendar_;
    Observed<std::vector<CalendarEvent>> events_;
    Observed<DayDots> dots_;
    Observed<bool> isAuthorized_{false};
    Connection storeObserver_;
    Lifetime lifetime_;  // for answers that outlive the service
};

// The occurrence's identity: the identifier, "@", and the start as the shortest decimal that reads
// back as the same number, always with a fraction ("abc@1736157600.0").
QString occurrenceID(const QString &identifier, double start);

}  // namespace vesk
