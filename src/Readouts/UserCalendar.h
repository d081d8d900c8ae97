#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <optional>

namespace vesk {

// The user's calendar: Gregorian, in a time zone, with a locale for names and the first weekday.
// The system's zone and the default locale unless a test or tool sets others.
//
// Weekdays are numbered 1 = Sunday ... 7 = Saturday here (Qt counts 1 = Monday ... 7 = Sunday);
// `weekday` is the one place that converts.
struct UserCalendar {
    QTimeZone zone = QTimeZone::systemTimeZone();
    QLocale locale;

    static UserCalendar current();
    static void setCurrent(std::optional<UserCalendar> calendar);  // nullopt: back to the system's

    static int weekday(Qt::DayOfWeek qtDay) { return int(qtDay) % 7 + 1; }
    int firstWeekday() const { return weekday(locale.firstDayOfWeek()); }

    QDateTime at(double seconds) const { return QDateTime::fromMSecsSinceEpoch(qint64(seconds * 1000.0), zone); }
    QDate date(double seconds) const { return at(seconds).date(); }
    // The first instant of a day in this zone (a day whose midnight does not exist starts later).
    double startOf(QDate day) const { return day.startOfDay(zone).toMSecsSinceEpoch() / 1000.0; }
};

}  // namespace vesk
