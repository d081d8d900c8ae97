#include "Platform/linux/IcsCalendar.h"
#include "Platform/linux/IcsComponents.h"

#include <libical/ical.h>

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <tuple>

// Expanding a file's events over the window: times and zones, recurrence rules stepped or walked,
// and what the pages keep of the occurrences within the file's budgets.

namespace vesk::ics {

namespace {

bool validTime(const icaltimetype &t)
{
    if (icaltime_is_null_time(t) || t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1
        || t.day > icaltime_days_in_month(t.month, t.year))
        return false;
    return t.is_date || (t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second <= 60);
}

// Where an event's times are: a VTIMEZONE of the file, a zone of the database, UTC or floating.
struct Zone {
    icaltimezone *file = nullptr;
    QTimeZone qt;
    bool utc = false;
};

Zone zoneOf(icalproperty *property, icalcomponent *calendar, const icaltimetype &t, const Window &window)
{
    Zone zone;
    if (icaltime_is_utc(t)) {
        zone.utc = true;
        return zone;
    }
    icalparameter *param = property ? icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) : nullptr;
    const char *tzid = param ? icalparameter_get_tzid(param) : nullptr;
    if (tzid && *tzid) {
        if (calendar) {
            if (icaltimezone *own = icalcomponent_get_timezone(calendar, tzid)) {
                zone.file = own;
                return zone;
            }
        }
        QTimeZone named{QByteArray(tzid)};
        if (!named.isValid()) {
            // Qt takes an empty name for UTC: map only a name it knows.
            const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(QByteArray(tzid));
            if (!iana.isEmpty())
                named = QTimeZone(iana);
        }
        if (named.isValid()) {
            zone.qt = named;
            return zone;
        }
    }
    zone.qt = window.zone;  // floating: the user's local time
    return zone;
}

std::optional<double> toEpoch(icaltimetype t, const Zone &zone, const Window &window)
{
    if (!validTime(t))
        return std::nullopt;
    const QDate date(t.year, t.month, t.day);
    if (t.is_date) {
        const QDateTime start = date.startOfDay(window.zone);
        return start.isValid() ? std::optional(start.toMSecsSinceEpoch() / 1000.0) : std::nullopt;
    }
    const QTime time(t.hour, t.minute, std::min(t.second, 59));
    if (zone.utc)
        return QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch() / 1000.0;
    if (zone.file) {
        t.zone = nullptr;
        return double(icaltime_as_timet_with_zone(t, zone.file));
    }
    const QDateTime local(date, time, zone.qt);
    if (!local.isValid())
        return std::nullopt;
    return local.toMSecsSinceEpoch() / 1000.0;
}

// A rule that can never produce a day (every 30 February) makes libical search for centuries.
bool impossibleRule(const icalrecurrencetype &rule)
{
    if (rule.by_month_day[0] == ICAL_RECURRENCE_ARRAY_MAX)
        return false;
    int longest = 0;
    if (rule.by_month[0] == ICAL_RECURRENCE_ARRAY_MAX) {
        longest = 31;
    } else {
        for (int i = 0; i < ICAL_BY_MONTH_SIZE && rule.by_month[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
            const int month = icalrecurrencetype_month_month(rule.by_month[i]);
            if (month >= 1 && month <= 12)
                longest = std::max(longest, icaltime_days_in_month(month, 2024));
        }
    }
    for (int i = 0; i < ICAL_BY_MONTHDAY_SIZE && rule.by_month_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
        const int day = std::abs(int(rule.by_month_day[i]));
        if (day >= 1 && day <= longest)
            return false;
    }
    return true;
}

icaltimetype wallTimeAt(double seconds, const Zone &zone, const Window &window, bool isDate)
{
    const QTimeZone qz = zone.utc ? QTimeZone::utc() : (zone.qt.isValid() ? zone.qt : window.zone);
    const QDateTime at = QDateTime::fromSecsSinceEpoch(qint64(std::floor(seconds)), qz);
    icaltimetype t = icaltime_null_time();
    t.year = at.date().year();
    t.month = at.date().month();
    t.day = at.date().day();
    t.is_date = isDate ? 1 : 0;
    if (!isDate) {
        t.hour = at.time().hour();
        t.minute = at.time().minute();
        t.second = at.time().second();
    }
    return t;
}

struct Occurrence {
    double start;
    double end;
};

bool hasByParts(const icalrecurrencetype &rule)
{
    return rule.by_second[0] != ICAL_RECURRENCE_ARRAY_MAX || rule.by_minute[0] != ICAL_RECURRENCE_ARRAY_MAX
           || rule.by_hour[0] != ICAL_RECURRENCE_ARRAY_MAX || rule.by_day[0] != ICAL_RECURRENCE_ARRAY_MAX
           || rule.by_month_day[0] != ICAL_RECURRENCE_ARRAY_MAX || rule.by_year_day[0] != ICAL_RECURRENCE_ARRAY_MAX
           || rule.by_week_no[0] != ICAL_RECURRENCE_ARRAY_MAX || rule.by_month[0] != ICAL_RECURRENCE_ARRAY_MAX
           || rule.by_set_pos[0] != ICAL_RECURRENCE_ARRAY_MAX;
}

bool isSubDaily(const icalrecurrencetype &rule)
{
    return rule.freq == ICAL_SECONDLY_RECURRENCE || rule.freq == ICAL_MINUTELY_RECURRENCE || rule.freq == ICAL_HOURLY_RECURRENCE;
}

// Whether an occurrence reaches past `t` in the sense of `overlaps`: it ends after `t`, or it is an
// instant at or after `t`.
bool reaches(const Occurrence &o, double t)
{
    const double end = o.end > o.start ? o.end : o.start;
    return end > t || (end == o.start && o.start >= t);
}

// What the pages need of one file's occurrences, within the file's budgets.
class Collector {
public:
    Collector(const Window &window, double agendaFrom, int64_t costLimit)
        : window_(window), agendaFrom_(std::max(agendaFrom, window.dayStart)), days_(window.days()), costLimit_(costLimit)
    {
        out_.firsts.resize(days_.empty() ? 0 : days_.size() - 1);
    }

    const Window &window() const { return window_; }
    double agendaFrom() const { return agendaFrom_; }
    const std::vector<double> &days() const { return days_; }
    int dayCount() const { return int(out_.firsts.size()); }
    FileRecords &records() { return out_; }

    // Counts a step of work; false once the file's budget is spent.
    bool spend()
    {
        ++out_.cost;
        return out_.cost <= costLimit_;
    }
    bool isSpent() const { return out_.cost > costLimit_; }

    // The window's day that contains `t`, or -1 outside the window.
    int dayOf(double t) const
    {
        const auto it = std::upper_bound(days_.begin(), days_.end(), t);
        const int i = int(it - days_.begin()) - 1;
        return i >= 0 && i < dayCount() ? i : -1;
    }

    bool isToday(const StoredEvent &e) const { return overlaps(e, agendaFrom_, window_.dayEnd); }

    // The occurrence marks the days it covers when it starts earlier than what marks them now.
    void offerFirst(const Record &r)
    {
        const StoredEvent &e = r.event;
        if (!overlaps(e, window_.from, window_.to))
            return;
        const int first = dayOf(std::max(e.start, window_.from));
        const int last = dayOf(std::min(window_.to - 1, std::max(e.start, e.end - 1)));
        if (first < 0)
            return;
        for (int d = first; d <= std::max(first, last); ++d) {
            auto &slot = out_.firsts[size_t(d)];
            if (!slot || e.start < slot->event.start)
                slot = r;
        }
    }

    // One of today's occurrences; false when the list keeps nothing that starts as late.
    bool offerToday(const Record &r)
    {
        auto &heap = out_.today;  // a heap of the latest first until finish()
        if (int(heap.size()) < maxTodayPerFile) {
            heap.push_back(r);
            std::push_heap(heap.begin(), heap.end(), earlier);
            return true;
        }
        if (!earlier(r, heap.front())) {
            drop(r.event.start);
            return false;
        }
        drop(heap.front().event.start);
        std::pop_heap(heap.begin(), heap.end(), earlier);
        heap.back() = r;
        std::push_heap(heap.begin(), heap.end(), earlier);
        return true;
    }

    // Today's occurrences from `start` on are not all kept.
    void drop(double start) { out_.completeBefore = std::min(out_.completeBefore, start); }

    FileRecords finish()
    {
        std::sort(out_.today.begin(), out_.today.end(), earlier);
        return std::move(out_);
    }

private:
    // By start; equal starts in file order.
    static bool earlier(const Record &a, const Record &b)
    {
        return std::tie(a.event.start, a.eventIndex, a.order) < std::tie(b.event.start, b.eventIndex, b.order);
    }

    const Window &window_;
    double agendaFrom_;
    std::vector<double> days_;
    int64_t costLimit_;
    FileRecords out_;
};

class EventReader {
public:
    EventReader(icalcomponent *event, icalcomponent *calendar, const Window &window)
        : event_(event), calendar_(calendar), window_(window)
    {
    }

    // False when the event has no usable start.
    bool read()
    {
        icalproperty *dtstart = icalcomponent_get_first_property(event_, ICAL_DTSTART_PROPERTY);
        if (!dtstart)
            return false;
        start_ = icalproperty_get_dtstart(dtstart);
        zone_ = zoneOf(dtstart, calendar_, start_, window_);
        const auto start = toEpoch(start_, zone_, window_);
        if (!start)
            return false;
        startEpoch_ = *start;
        allDay_ = start_.is_date;
        if (icalproperty *dtend = icalcomponent_get_first_property(event_, ICAL_DTEND_PROPERTY)) {
            const icaltimetype end = icalproperty_get_dtend(dtend);
            if (allDay_ && end.is_date && validTime(end)) {
                endDays_ = int(QDate(start_.year, start_.month, start_.day).daysTo(QDate(end.year, end.month, end.day)));
            } else if (const auto e = toEpoch(end, zoneOf(dtend, calendar_, end, window_), window_)) {
                length_ = *e - *start;
            }
        } else if (icalproperty *duration = icalcomponent_get_first_property(event_, ICAL_DURATION_PROPERTY)) {
            const icaldurationtype d = icalproperty_get_duration(duration);
            if (!icaldurationtype_is_bad_duration(d)) {
                if (allDay_ && d.hours == 0 && d.minutes == 0 && d.seconds == 0 && !d.is_neg)
                    endDays_ = int(d.weeks * 7 + d.days);
                else
                    length_ = double(icaldurationtype_as_int(d));
            }
        } else if (allDay_) {
            endDays_ = 1;
        }
        readExclusions();
        return true;
    }

    std::optional<Occurrence> occurrenceAt(const icaltimetype &t) const
    {
        const auto start = toEpoch(t, zone_, window_);
        if (!start)
            return std::nullopt;
        return occurrenceFrom(*start, t);
    }

    // Hands the event's occurrences that the pages need to the collector. `replaced`: starts that
    // events with a RECURRENCE-ID took over.
    void expand(Collector &c, const std::vector<double> &replaced, StoredEvent proto, uint32_t eventIndex)
    {
        collector_ = &c;
        replaced_ = &replaced;
        proto_ = std::move(proto);
        eventIndex_ = eventIndex;
        // The start is always the first occurrence, whether the rule yields it or not.
        if (const auto o = occurrenceAt(start_))
            offer(*o, true);
        for (icalproperty *p = icalcomponent_get_first_property(event_, ICAL_RDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event_, ICAL_RDATE_PROPERTY)) {
            if (!c.spend())
                return;
            const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
            const icaltimetype t = icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
            if (!validTime(t))
                continue;
            const auto start = toEpoch(t, zoneOf(p, calendar_, t, window_), window_);
            const auto o = occurrenceAt(start_);
            if (start && o)
                offer(Occurrence{*start, *start + (o->end - o->start)}, true);
        }
        icalproperty *rrule = icalcomponent_get_first_property(event_, ICAL_RRULE_PROPERTY);
        if (!rrule)
            return;
        const icalrecurrencetype rule = icalproperty_get_rrule(rrule);
        if (rule.freq == ICAL_NO_RECURRENCE || impossibleRule(rule) || rule.interval <= 0)
            return;
        if (isSubDaily(rule) && (hasByParts(rule) || allDay_)) {
            // libical walks such a rule one second (or minute) at a time, testing each against its
            // filters: a filter that matches once in years keeps it busy for seconds per call.
            ++c.records().refusedRules;
            return;
        }
        if (!hasByParts(rule) && rule.freq <= ICAL_WEEKLY_RECURRENCE)
            expandEvenly(rule);
        else
            expandRule(rule);
    }

    bool isAllDay() const { return allDay_; }

private:
    std::optional<Occurrence> occurrenceFrom(double start, const icaltimetype &t) const
    {
        if (endDays_) {
            const QDate day = QDate(t.year, t.month, t.day).addDays(*endDays_);
            const QDateTime end = day.startOfDay(window_.zone);
            if (!end.isValid())
                return std::nullopt;
            return Occurrence{start, end.toMSecsSinceEpoch() / 1000.0};
        }
        return Occurrence{start, start + length_};
    }

    // `single`: the start or an added date, which the rule's own occurrences then skip.
    void offer(const Occurrence &o, bool single)
    {
        if (!single && o.start == startEpoch_)
            return;
        if (std::find(replaced_->begin(), replaced_->end(), o.start) != replaced_->end() || isExcluded(o.start))
            return;
        Record r{proto_, eventIndex_, order_++};
        r.event.start = o.start;
        r.event.end = o.end;
        collector_->offerFirst(r);
        if (todayFull_ || !collector_->isToday(r.event))
            return;
        if (todayKept_ >= maxOccurrences || !collector_->offerToday(r)) {
            if (todayKept_ >= maxOccurrences)
                collector_->drop(o.start);
            todayFull_ = true;
            return;
        }
        ++todayKept_;
    }

    // A rule without filters that steps by a fixed time (seconds to hours) or a fixed number of days
    // (days and weeks, at the same wall-clock time): its occurrence number k is computed, not walked
    // to, so that an event begun decades ago or counted in tens of thousands reaches today at once.
    void expandEvenly(const icalrecurrencetype &rule)
    {
        Collector &c = *collector_;
        const bool byTime = isSubDaily(rule);
        const double unit = rule.freq == ICAL_SECONDLY_RECURRENCE ? 1 : rule.freq == ICAL_MINUTELY_RECURRENCE ? 60 : 3600;
        const int64_t dayStep = int64_t(rule.interval) * (rule.freq == ICAL_WEEKLY_RECURRENCE ? 7 : 1);
        const double step = byTime ? unit * rule.interval : double(dayStep) * 86400.0;
        const QDate firstDate(start_.year, start_.month, start_.day);
        std::optional<double> until;  // the latest start the rule allows
        if (!icaltime_is_null_time(rule.until) && validTime(rule.until)) {
            if (rule.until.is_date) {
                const QDateTime next = QDate(rule.until.year, rule.until.month, rule.until.day).addDays(1).startOfDay(window_.zone);
                if (next.isValid())
                    until = next.toMSecsSinceEpoch() / 1000.0 - 0.001;
            } else {
                Zone zone = zone_;
                if (icaltime_is_utc(rule.until)) {
                    zone = Zone{};
                    zone.utc = true;
                }
                until = toEpoch(rule.until, zone, window_);
            }
            if (!until)
                return;
        }
        auto at = [&](int64_t k) -> std::optional<Occurrence> {
            if (k < 0 || (rule.count > 0 && k >= rule.count))
                return std::nullopt;
            std::optional<Occurrence> o;
            if (byTime) {
                o = Occurrence{startEpoch_ + double(k) * step, startEpoch_ + double(k) * step + length_};
            } else {
                if (double(k) * double(dayStep) > 4e6)  // past the year 9999
                    return std::nullopt;
                const QDate day = firstDate.addDays(k * dayStep);
                icaltimetype t = start_;
                t.year = day.year();
                t.month = day.month();
                t.day = day.day();
                o = occurrenceAt(t);
            }
            if (o && until && o->start > *until)
                return std::nullopt;
            return o;
        };
        const double longest = longestSpan();
        // The first occurrence that reaches past `t`: estimated, then moved by the few steps a change
        // of clocks or a long all-day span can put it off.
        auto firstReaching = [&](double t) -> int64_t {
            const double estimate = std::floor((t - longest - startEpoch_) / step);
            int64_t k = estimate <= 0 ? 0 : estimate >= 9e15 ? int64_t(9e15) : int64_t(estimate);
            for (int i = 0; i < 8 && k > 0; ++i) {
                const auto before = at(k - 1);
                if (!before || !reaches(*before, t))
                    break;
                --k;
            }
            for (int i = 0; i < 8; ++i) {
                const auto o = at(k);
                if (!o || reaches(*o, t))
                    break;
                ++k;
            }
            return k;
        };

        // Each day's first occurrence: one look per day, however many the rule has on it.
        const auto &days = c.days();
        int64_t k = -1;
        for (int j = 0; j < c.dayCount() && c.spend();) {
            const int64_t next = std::max(k + 1, firstReaching(days[size_t(j)]));
            const auto o = at(next);
            if (!o || o->start >= window_.to)
                break;
            k = next;
            const bool wasFull = todayFull_;
            todayFull_ = true;  // today's are offered below, in order
            offer(*o, false);
            todayFull_ = wasFull;
            j = std::max(j + 1, c.dayOf(o->start) + 1);
        }
        // Today's, in order, from the first that has not ended.
        if (c.agendaFrom() >= window_.dayEnd)
            return;
        for (int64_t i = firstReaching(c.agendaFrom()); !todayFull_ && c.spend(); ++i) {
            const auto o = at(i);
            if (!o || o->start >= window_.dayEnd)
                break;
            offer(*o, false);
        }
    }

    // Any other rule, walked by libical over the window.
    void expandRule(icalrecurrencetype rule)
    {
        Collector &c = *collector_;
        // Stop the rule a little after the window so libical never walks on past it.
        const icaltimetype bound = wallTimeAt(window_.to + 2 * 86400.0, zone_, window_, start_.is_date);
        if (rule.count == 0 && (icaltime_is_null_time(rule.until) || icaltime_compare(rule.until, bound) > 0))
            rule.until = bound;
        icaltimetype dtstart = start_;
        dtstart.zone = nullptr;
        icalrecur_iterator *it = icalrecur_iterator_new(rule, dtstart);
        if (!it)
            return;
        // Jump near the window: an old weekly event need not be walked from its first week. Rules
        // with a count must be walked from the start.
        const double longest = longestSpan();
        if (rule.count == 0) {
            const icaltimetype from = wallTimeAt(window_.from - longest - 2 * 86400.0, zone_, window_, start_.is_date);
            if (icaltime_compare(from, dtstart) > 0)
                icalrecur_iterator_set_start(it, from);
        }
        int steps = 0;
        for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t); t = icalrecur_iterator_next(it)) {
            if (++steps > maxRuleSteps || !c.spend())
                break;
            const auto o = occurrenceAt(t);
            if (!o)
                continue;
            if (o->start >= window_.to)
                break;
            offer(*o, false);
        }
        icalrecur_iterator_free(it);
    }

    // At least as long as any occurrence lasts.
    double longestSpan() const { return std::max(0.0, length_) + (endDays_ ? *endDays_ * 86400.0 : 0.0); }

    void readExclusions()
    {
        for (icalproperty *p = icalcomponent_get_first_property(event_, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event_, ICAL_EXDATE_PROPERTY)) {
            const icaltimetype t = icalproperty_get_exdate(p);
            if (!validTime(t))
                continue;
            if (t.is_date && !start_.is_date) {
                excludedDays_.push_back(QDate(t.year, t.month, t.day));
                continue;
            }
            if (const auto ex = toEpoch(t, zoneOf(p, calendar_, t, window_), window_))
                excluded_.push_back(*ex);
        }
    }

    bool isExcluded(double start) const
    {
        if (std::find(excluded_.begin(), excluded_.end(), start) != excluded_.end())
            return true;
        if (excludedDays_.empty())
            return false;
        const QDate day = QDateTime::fromMSecsSinceEpoch(qint64(start * 1000.0), zone_.qt.isValid() ? zone_.qt : window_.zone).date();
        return std::find(excludedDays_.begin(), excludedDays_.end(), day) != excludedDays_.end();
    }

    icalcomponent *event_;
    icalcomponent *calendar_;
    const Window &window_;
    icaltimetype start_ = icaltime_null_time();
    double startEpoch_ = 0;
    Zone zone_;
    bool allDay_ = false;
    double length_ = 0;
    std::optional<int> endDays_;
    std::vector<double> excluded_;
    std::vector<QDate> excludedDays_;

    // While expanding.
    Collector *collector_ = nullptr;
    const std::vector<double> *replaced_ = nullptr;
    StoredEvent proto_;
    uint32_t eventIndex_ = 0;
    uint32_t order_ = 0;
    int todayKept_ = 0;
    bool todayFull_ = false;
};

std::optional<QString> text(const char *value)
{
    if (!value)
        return std::nullopt;
    return QString::fromUtf8(value);
}

}  // namespace

FileRecords ParsedFile::expand(const Window &window, double agendaFrom, int64_t costLimit) const
{
    Collector collector(window, agendaFrom, costLimit);
    uint32_t eventIndex = 0;
    forEachCalendar(asComponent(root_), [&](icalcomponent *calendar) {
        // Occurrences moved or cancelled by a RECURRENCE-ID event replace the master's.
        std::vector<std::pair<QString, double>> replaced;
        forEachEvent(calendar, [&](icalcomponent *event) {
            icalproperty *rid = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
            const char *uid = icalcomponent_get_uid(event);
            if (!rid || !uid)
                return;
            const icaltimetype t = icalproperty_get_recurrenceid(rid);
            if (const auto at = toEpoch(t, zoneOf(rid, calendar, t, window), window))
                replaced.emplace_back(QString::fromUtf8(uid), *at);
        });
        forEachEvent(calendar, [&](icalcomponent *event) {
            ++eventIndex;
            if (collector.isSpent()) {
                ++collector.records().skippedEvents;
                return;
            }
            if (!collector.spend() || icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
                return;
            EventReader reader(event, calendar, window);
            if (!reader.read())
                return;
            const auto uid = text(icalcomponent_get_uid(event));
            const bool isOverride = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) != nullptr;
            std::vector<double> skip;
            if (uid && !isOverride) {
                for (const auto &[id, at] : replaced) {
                    if (id == *uid)
                        skip.push_back(at);
                }
            }
            const auto title = text(icalcomponent_get_first_property(event, ICAL_SUMMARY_PROPERTY)
                                        ? icalcomponent_get_summary(event)
                                        : nullptr);
            reader.expand(collector, skip, StoredEvent{uid, title, 0, 0, reader.isAllDay(), QColor()}, eventIndex);
            icalerror_clear_errno();
        });
    });
    return collector.finish();
}

}  // namespace vesk::ics
