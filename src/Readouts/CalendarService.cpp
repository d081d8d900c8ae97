#include "Readouts/CalendarService.h"

#include "Base/Clock.h"

#include <QUuid>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vesk {

namespace {

constexpr size_t maxDotsPerDay = 3;

void addDot(std::vector<QColor> &day, const QColor &color)
{
    if (day.size() >= maxDotsPerDay)
        return;
    if (std::none_of(day.begin(), day.end(), [&](const QColor &c) { return sameColour(c, color); }))
        day.push_back(color);
}

}  // namespace

QString occurrenceID(const QString &identifier, double start)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, start, std::chars_format::fixed);
    std::string number(buffer, result.ptr);
    if (number.find('.') == std::string::npos && std::isfinite(start))
        number += ".0";
    return identifier + u'@' + QString::fromLatin1(number);
}

CalendarService::CalendarService(CalendarStore &store) : store_(store)
{
    storeObserver_ = store_.changed.connect([this] { publish(); });
}

void CalendarService::requestAccess()
{
    // The store answers on the main queue.
    store_.requestAccess(lifetime_.guard([this] { refresh(); }));
}

void CalendarService::refresh()
{
    store_.reload();
    publish();
}

void CalendarService::publish()
{
    const bool authorized = store_.authorizationStatus() == CalendarAccess::fullAccess;
    isAuthorized_ = authorized;
    if (!authorized)
        return;

    const UserCalendar calendar = calendar_ ? *calendar_ : UserCalendar::current();
    const double now = appClock().wallNow();
    const QDate today = calendar.date(now);
    if (!today.isValid())
        return;
    const QDate firstOfMonth(today.year(), today.month(), 1);
    const double monthStart = calendar.startOf(firstOfMonth);
    const double monthEnd = calendar.startOf(firstOfMonth.addMonths(1));
    const double tomorrow = calendar.startOf(today.addDays(1));

    std::vector<StoredEvent> found = store_.events(monthStart, monthEnd);
    std::stable_sort(found.begin(), found.end(),
                     [](const StoredEvent &a, const StoredEvent &b) { return a.start < b.start; });

    DayDots dots;
    for (const auto &event : found) {
        const double lastInstant = std::min(monthEnd - 1, std::max(event.start, event.end - 1));
        // Calendar days, not 86,400 s: a day across a clock change is 23 or 25 hours long.
        for (QDate day = calendar.date(std::max(event.start, monthStart));
             day.isValid() && calendar.startOf(day) <= lastInstant; day = day.addDays(1))
            addDot(dots.days[day.day()], event.color);
    }

    std::vector<CalendarEvent> todays;
    for (const auto &event : found) {
        if (!(event.start < tomorrow && event.end > now))
            continue;
        const QString identifier = event.identifier ? *event.identifier : QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        todays.push_back({occurrenceID(identifier, event.start), event.title ? *event.title : QStringLiteral("Untitled"),
                          event.start, event.isAllDay, event.color});
    }

    events_ = std::move(todays);
    dots_ = std::move(dots);
}

}  // namespace vesk
