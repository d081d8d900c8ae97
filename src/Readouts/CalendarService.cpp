#include "Readouts/CalendarService.h"

#include "Platform/Clock.h"

#include <QDateTime>

#include <algorithm>

namespace vesk {

CalendarService::CalendarService(CalendarStore &store) : store_(store)
{
    storeObserver_ = store_.changed.connect([this] { refresh(); });
}

void CalendarService::refresh()
{
    if (!store_.hasAccess())
        return;
    const double now = appClock().wallNow();
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(qint64(now * 1000.0)).toLocalTime();
    const double endOfToday =
        QDateTime(local.date().addDays(1), QTime(0, 0), local.timeSpec()).toMSecsSinceEpoch() / 1000.0;

    std::vector<CalendarEvent> today;
    for (const auto &stored : store_.events(now, endOfToday)) {
        if (!(stored.start < endOfToday && stored.end > now))
            continue;
        today.push_back({stored.title.isEmpty() ? QStringLiteral("Untitled") : stored.title, stored.start, stored.end,
                         stored.isAllDay, stored.color});
    }
    std::stable_sort(today.begin(), today.end(),
                     [](const CalendarEvent &a, const CalendarEvent &b) { return a.start < b.start; });
    events_ = std::move(today);
}

}  // namespace vesk
