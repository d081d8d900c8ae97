#include "Platform/linux/IcsCalendar.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <set>

using namespace vesk;
using namespace vesk::ics;

namespace {

const QTimeZone berlin("Europe/Berlin");

// January to March 2025 in Berlin.
Window window() { return windowAround(QDateTime(QDate(2025, 2, 10), QTime(12, 0), berlin).toSecsSinceEpoch(), berlin); }

double berlinTime(int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2025, month, day), QTime(hour, minute), berlin).toSecsSinceEpoch();
}

QByteArray calendar(const QByteArray &body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:test\r\n" + body + "END:VCALENDAR\r\n";
}

QByteArray event(const QByteArray &lines)
{
    return "BEGIN:VEVENT\r\n" + lines + "END:VEVENT\r\n";
}

std::vector<StoredEvent> read(const QByteArray &bytes, const Window &w = window())
{
    return recordsFromBytes(bytes, w, QColor(Qt::red));
}

}  // namespace

TEST(IcsCalendar, WindowRunsFromTheMonthBeforeToTheMonthAfter)
{
    const Window w = window();
    EXPECT_EQ(w.from, QDateTime(QDate(2025, 1, 1), QTime(0, 0), berlin).toSecsSinceEpoch());
    EXPECT_EQ(w.to, QDateTime(QDate(2025, 4, 1), QTime(0, 0), berlin).toSecsSinceEpoch());
}

TEST(IcsCalendar, EndsComeFromDtendDurationOrTheKindOfStart)
{
    const auto events = read(calendar(event("UID:a\r\nSUMMARY:Timed\r\nDTSTART:20250210T090000Z\r\nDTEND:20250210T100000Z\r\n")
                                      + event("UID:b\r\nDTSTART:20250211T090000Z\r\nDURATION:PT45M\r\n")
                                      + event("UID:c\r\nSUMMARY:Day\r\nDTSTART;VALUE=DATE:20250212\r\n")
                                      + event("UID:d\r\nSUMMARY:Instant\r\nDTSTART:20250213T090000Z\r\n")
                                      + event("UID:e\r\nSTATUS:CANCELLED\r\nDTSTART:20250214T090000Z\r\n")));
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].identifier, QStringLiteral("a"));
    EXPECT_EQ(events[0].title, QStringLiteral("Timed"));
    EXPECT_EQ(events[0].end - events[0].start, 3600);
    EXPECT_FALSE(events[1].title.has_value());  // no SUMMARY: no title
    EXPECT_EQ(events[1].end - events[1].start, 45 * 60);
    EXPECT_TRUE(events[2].isAllDay);
    EXPECT_EQ(events[2].start, berlinTime(2, 12, 0));  // local midnight to midnight
    EXPECT_EQ(events[2].end, berlinTime(2, 13, 0));
    EXPECT_EQ(events[3].end, events[3].start);
}

TEST(IcsCalendar, ZonesComeFromTheFileTheDatabaseOrAreFloating)
{
    const QByteArray vtimezone = "BEGIN:VTIMEZONE\r\nTZID:Office\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
                                 "TZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
    const auto events = read(calendar(vtimezone + event("UID:f\r\nDTSTART;TZID=Office:20250210T090000\r\n")
                                      + event("UID:n\r\nDTSTART;TZID=America/New_York:20250210T090000\r\n")
                                      + event("UID:w\r\nDTSTART;TZID=Tokyo Standard Time:20250210T090000\r\n")
                                      + event("UID:x\r\nDTSTART;TZID=Nowhere/Atlantis:20250210T090000\r\n")
                                      + event("UID:l\r\nDTSTART:20250210T090000\r\n")));
    ASSERT_EQ(events.size(), 5u);
    const double utc9 = QDateTime(QDate(2025, 2, 10), QTime(9, 0), Qt::UTC).toSecsSinceEpoch();
    EXPECT_EQ(events[0].start, utc9 - 3 * 3600);
    EXPECT_EQ(events[1].start, utc9 + 5 * 3600);
    EXPECT_EQ(events[2].start, utc9 - 9 * 3600);  // a Windows zone name
    EXPECT_EQ(events[3].start, berlinTime(2, 10, 9));  // names nothing: floating
    EXPECT_EQ(events[4].start, berlinTime(2, 10, 9));
}

TEST(IcsCalendar, RulesExpandOverTheWindowKeepingTheWallClockTime)
{
    // Weekly at 09:00 Berlin time from January into April, across the change to summer time on 30 March.
    const auto events = read(calendar(event("UID:w\r\nDTSTART;TZID=Europe/Berlin:20250106T090000\r\n"
                                            "DTEND;TZID=Europe/Berlin:20250106T093000\r\nRRULE:FREQ=WEEKLY\r\n"
                                            "EXDATE;TZID=Europe/Berlin:20250113T090000\r\n"
                                            "RDATE;TZID=Europe/Berlin:20250108T150000\r\n")));
    // Mondays 6 Jan .. 31 Mar = 13, less one excluded, plus one extra date.
    ASSERT_EQ(events.size(), 13u);
    for (const auto &e : events) {
        EXPECT_EQ(e.end - e.start, 1800);
        const QDateTime local = QDateTime::fromSecsSinceEpoch(qint64(e.start), berlin);
        if (local.date() != QDate(2025, 1, 8)) {
            EXPECT_EQ(local.time(), QTime(9, 0)) << local.toString().toStdString();
        }
    }
    EXPECT_EQ(events[1].start, berlinTime(1, 8, 15));
    EXPECT_EQ(events.back().start, berlinTime(3, 31, 9));  // summer time, still 09:00
}

TEST(IcsCalendar, AMovedOccurrenceReplacesTheMastersOne)
{
    const auto events = read(calendar(event("UID:m\r\nSUMMARY:Standup\r\nDTSTART:20250203T090000Z\r\nRRULE:FREQ=DAILY;COUNT=3\r\n")
                                      + event("UID:m\r\nSUMMARY:Standup moved\r\nRECURRENCE-ID:20250204T090000Z\r\n"
                                              "DTSTART:20250204T140000Z\r\n")
                                      + event("UID:m\r\nRECURRENCE-ID:20250205T090000Z\r\nSTATUS:CANCELLED\r\n"
                                              "DTSTART:20250205T090000Z\r\n")));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].title, QStringLiteral("Standup"));
    EXPECT_EQ(events[1].title, QStringLiteral("Standup moved"));
    EXPECT_EQ(events[1].start, QDateTime(QDate(2025, 2, 4), QTime(14, 0), Qt::UTC).toSecsSinceEpoch());
}

TEST(IcsCalendar, RulesAreBounded)
{
    using clock = std::chrono::steady_clock;
    // Every second from 1 February: each day's first and today's first thousand.
    const auto secondly = read(calendar(event("UID:s\r\nDTSTART:20250201T000000Z\r\nRRULE:FREQ=SECONDLY\r\n")));
    const Window w = window();
    EXPECT_EQ(std::count_if(secondly.begin(), secondly.end(), [&](const StoredEvent &e) { return overlaps(e, w.dayStart, w.dayEnd); }),
              maxOccurrences);
    EXPECT_EQ(secondly.size(), size_t(maxOccurrences) + 58);
    const auto began = clock::now();
    EXPECT_TRUE(read(calendar(event("UID:f\r\nDTSTART:20250101T090000Z\r\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30\r\n")))
                    .size()
                <= 1u);
    EXPECT_LT(clock::now() - began, std::chrono::seconds(1));  // a guard against a hang, not a speed target
    EXPECT_EQ(read(calendar(event("UID:c\r\nDTSTART:20250201T090000Z\r\nRRULE:FREQ=DAILY;COUNT=0\r\n"))).size(), 1u);
    EXPECT_EQ(read(calendar(event("UID:u\r\nDTSTART:20250201T090000Z\r\nRRULE:FREQ=DAILY;UNTIL=20240101T000000Z\r\n"))).size(), 1u);
    EXPECT_LE(read(calendar(event("UID:i\r\nDTSTART:20250201T090000Z\r\nRRULE:FREQ=DAILY;INTERVAL=2147483647\r\n"))).size(), 1u);
    EXPECT_EQ(read(calendar(event("UID:g\r\nDTSTART:20250201T090000Z\r\nRRULE:GARBAGE\r\n"))).size(), 1u);
}

namespace {

// The days of the window that have a record, as the month grid would mark them.
std::set<QDate> markedDays(const std::vector<StoredEvent> &events)
{
    std::set<QDate> days;
    for (const auto &e : events) {
        const double last = std::max(e.start, e.end - 1);
        for (QDate d = QDateTime::fromSecsSinceEpoch(qint64(e.start), berlin).date();
             d.startOfDay(berlin).toSecsSinceEpoch() <= last; d = d.addDays(1))
            days.insert(d);
    }
    return days;
}

std::set<QDate> everyDay(QDate from, QDate to)
{
    std::set<QDate> days;
    for (QDate d = from; d <= to; d = d.addDays(1))
        days.insert(d);
    return days;
}

}  // namespace

TEST(IcsCalendar, AnOldCountedRuleReachesTheWindowAtOnce)
{
    // Daily 40,000 times from 1960: today is occurrence 23,781, far past any walk from the start.
    const auto daily = read(calendar(event("UID:d\r\nSUMMARY:Old\r\nDTSTART:19600101T090000Z\r\nDURATION:PT1H\r\n"
                                           "RRULE:FREQ=DAILY;COUNT=40000\r\nEXDATE:20250301T090000Z\r\n")));
    EXPECT_EQ(markedDays(daily), [] {
        auto days = everyDay(QDate(2025, 1, 1), QDate(2025, 3, 31));
        days.erase(QDate(2025, 3, 1));
        return days;
    }());
    const double today = QDateTime(QDate(2025, 2, 10), QTime(9, 0), Qt::UTC).toSecsSinceEpoch();
    EXPECT_NE(std::find_if(daily.begin(), daily.end(), [&](const StoredEvent &e) { return e.start == today && e.end == today + 3600; }),
              daily.end());
    // The count still ends it: 23,748 times is the last on 6 January 2025.
    EXPECT_EQ(markedDays(read(calendar(event("UID:e\r\nDTSTART:19600101T090000Z\r\nRRULE:FREQ=DAILY;COUNT=23748\r\n")))),
              everyDay(QDate(2025, 1, 1), QDate(2025, 1, 6)));
    // Every other week from a Monday in 1960, until a date, at the same wall-clock time in Berlin
    // across the change to summer time.
    const auto fortnightly = read(calendar(event("UID:w\r\nDTSTART;TZID=Europe/Berlin:19600104T080000\r\n"
                                                 "RRULE:FREQ=WEEKLY;INTERVAL=2;UNTIL=20250331T060000Z\r\n")));
    std::vector<QDateTime> starts;
    for (const auto &e : fortnightly)
        starts.push_back(QDateTime::fromSecsSinceEpoch(qint64(e.start), berlin));
    ASSERT_EQ(starts.size(), 7u);
    EXPECT_EQ(starts.front().date(), QDate(2025, 1, 6));
    EXPECT_EQ(starts.back().date(), QDate(2025, 3, 31));  // 06:00 UTC is 08:00 in summer time
    for (const auto &s : starts) {
        EXPECT_EQ(s.time(), QTime(8, 0));
        EXPECT_EQ(s.date().dayOfWeek(), 1);
    }
    // Every 90 minutes since 1970 is a plain count of seconds.
    const auto often = read(calendar(event("UID:m\r\nDTSTART:19700101T000000Z\r\nRRULE:FREQ=MINUTELY;INTERVAL=90\r\n")));
    const double dayStart = window().dayStart;
    const auto firstToday = std::find_if(often.begin(), often.end(), [&](const StoredEvent &e) { return e.start >= dayStart; });
    ASSERT_NE(firstToday, often.end());
    EXPECT_EQ(std::fmod(firstToday->start, 5400.0), 0.0);
    EXPECT_LT(firstToday->start - dayStart, 5400.0);
}

TEST(IcsCalendar, ManyOftenRepeatingEventsKeepWhatThePagesShow)
{
    // 600 events every minute from 1 February: 600 a minute today. Kept: today's earliest, up to the
    // file's budget, and every day's first, so that the month grid marks the same days.
    QByteArray body;
    for (int i = 0; i < 600; ++i)
        body += event("UID:m" + QByteArray::number(i) + "\r\nDTSTART:20250201T0" + QByteArray::number(i / 60 % 10) + "0000Z\r\n"
                      "DURATION:PT1M\r\nRRULE:FREQ=MINUTELY\r\n");
    const Window w = window();
    const FileRecords records = ParsedFile::parse(calendar(body)).expand(w, w.dayStart);
    ASSERT_EQ(records.today.size(), size_t(maxTodayPerFile));
    for (size_t i = 1; i < records.today.size(); ++i)
        EXPECT_LE(records.today[i - 1].event.start, records.today[i].event.start);
    // The earliest of today are kept, and everything that starts before the cut.
    EXPECT_EQ(records.today.front().event.start, w.dayStart);
    EXPECT_GT(records.completeBefore, records.today.front().event.start);
    EXPECT_LE(records.completeBefore, records.today.back().event.start);
    const auto events = read(calendar(body));
    EXPECT_LE(events.size(), size_t(maxTodayPerFile) + 90);
    EXPECT_EQ(markedDays(events), everyDay(QDate(2025, 2, 1), QDate(2025, 3, 31)));
    // A later start in the day brings today's list on from there.
    const double later = w.dayStart + 15 * 3600;
    const FileRecords fromLater = ParsedFile::parse(calendar(body)).expand(w, later);
    ASSERT_FALSE(fromLater.today.empty());
    EXPECT_GE(fromLater.today.front().event.end, later);
    EXPECT_LT(fromLater.today.front().event.start, later + 60);
}

TEST(IcsCalendar, OnlyTheEarliestOfADayIsKeptOutsideToday)
{
    const auto events = read(calendar(event("UID:late\r\nSUMMARY:Late\r\nDTSTART:20250212T150000Z\r\n")
                                      + event("UID:early\r\nSUMMARY:Early\r\nDTSTART:20250212T080000Z\r\n")
                                      + event("UID:night\r\nSUMMARY:Night\r\nDTSTART:20250213T220000Z\r\nDURATION:PT4H\r\n")
                                      + event("UID:next\r\nSUMMARY:Next\r\nDTSTART:20250214T090000Z\r\n")
                                      + event("UID:t1\r\nSUMMARY:Today 1\r\nDTSTART:20250210T150000Z\r\n")
                                      + event("UID:t2\r\nSUMMARY:Today 2\r\nDTSTART:20250210T080000Z\r\n")));
    std::vector<QString> titles;
    for (const auto &e : events)
        titles.push_back(*e.title);
    // File order; the night runs into the 14th (Berlin) and so starts before "Next" there.
    EXPECT_EQ(titles, (std::vector<QString>{"Early", "Night", "Today 1", "Today 2"}));
}

TEST(IcsCalendar, SubDailyRulesThatFilterAreShownAtTheirStartOnly)
{
    // libical tests such a rule second by second against its filter: once in four years here.
    const auto leap = ParsedFile::parse(calendar(event("UID:y\r\nDTSTART:19000101T000000Z\r\nRRULE:FREQ=SECONDLY;BYYEARDAY=366\r\n")
                                                 + event("UID:f\r\nDTSTART:20250201T000000Z\r\nRRULE:FREQ=MINUTELY;BYMONTH=2\r\n")
                                                 + event("UID:h\r\nDTSTART:20250201T000000Z\r\nRRULE:FREQ=HOURLY;BYHOUR=9\r\n")))
                          .expand(window(), window().dayStart);
    EXPECT_EQ(leap.refusedRules, 3);
    EXPECT_LT(leap.cost, 100);
    const auto events = read(calendar(event("UID:f\r\nDTSTART:20250201T000000Z\r\nRRULE:FREQ=MINUTELY;BYMONTH=2\r\n")));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].start, QDateTime(QDate(2025, 2, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
    // Without filters they repeat.
    EXPECT_GT(read(calendar(event("UID:h\r\nDTSTART:20250201T000000Z\r\nRRULE:FREQ=HOURLY\r\n"))).size(), 50u);
}

TEST(IcsCalendar, AFileStopsWhereItsWorkRunsOut)
{
    QByteArray body;
    for (int i = 0; i < 50; ++i)
        body += event("UID:d" + QByteArray::number(i) + "\r\nDTSTART:20250101T0900" + QByteArray::number(10 + i) + "Z\r\nRRULE:FREQ=DAILY\r\n");
    const ParsedFile file = ParsedFile::parse(calendar(body));
    const FileRecords all = file.expand(window(), window().dayStart);
    EXPECT_EQ(all.skippedEvents, 0);
    // Each daily event costs about one step a day of the window; 1,000 steps read ten of them.
    const FileRecords some = file.expand(window(), window().dayStart, 1000);
    EXPECT_GT(some.skippedEvents, 35);
    EXPECT_LT(some.skippedEvents, 45);
    EXPECT_LE(some.cost, 1010);
    ASSERT_TRUE(some.firsts.front());
    EXPECT_EQ(some.firsts.front()->event.identifier, QStringLiteral("d0"));
}

TEST(IcsCalendar, BadInputSkipsWhatIsBadAndKeepsTheRest)
{
    const QByteArray good = event("UID:ok\r\nSUMMARY:Good\r\nDTSTART:20250210T090000Z\r\n");
    const std::vector<QByteArray> inputs = {
        "\xEF\xBB\xBF" + calendar(good),                                                     // BOM
        calendar(good).replace("\r\n", "\n"),                                                // LF only
        calendar(event("UID:bad\r\nDTSTART:20251345T250000Z\r\n") + good),                   // impossible date
        calendar(event("UID:none\r\nSUMMARY:no start\r\n") + good),                          // no start
        calendar(good) + "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:2025",                  // truncated after
        "END:VEVENT\r\n" + calendar(good),                                                   // END before BEGIN
        calendar(event("UID:l\r\nSUMMARY:" + QByteArray(2'000'000, 'x') + "\r\nDTSTART:20250210T090000Z\r\n") + good),
        calendar(event("UID:t\r\nDTSTART;TZID=Broken:20250210T090000\r\n") + good)
            .replace("PRODID:test\r\n", "PRODID:test\r\nBEGIN:VTIMEZONE\r\nTZID:Broken\r\nEND:VTIMEZONE\r\n"),
        QByteArray("\xff\xfe\x00B\x00E\x00G", 9) + calendar(good),                         // not UTF-8
    };
    for (size_t i = 0; i < inputs.size(); ++i) {
        const auto events = read(inputs[i]);
        const bool hasGood = std::any_of(events.begin(), events.end(), [](const StoredEvent &e) {
            return e.identifier == QStringLiteral("ok");
        });
        EXPECT_TRUE(hasGood || i == 5 || i == 8) << "input " << i;  // a stray first line may hide the calendar
    }
    // A folded line is one line.
    const auto folded = read(calendar(event("UID:fold\r\nSUMMARY:Long\r\n  title\r\nDTSTART:20250210T090000Z\r\n")));
    ASSERT_EQ(folded.size(), 1u);
    EXPECT_EQ(folded[0].title, QStringLiteral("Long title"));
}

TEST(IcsCalendar, ColoursFromFilesAndFallbacks)
{
    EXPECT_EQ(parseColour("#FF8800")->rgba(), QColor(255, 136, 0).rgba());
    EXPECT_EQ(parseColour(" #ff880080\n")->alpha(), 0x80);
    EXPECT_EQ(parseColour("#ff880080")->red(), 0xff);
    EXPECT_FALSE(parseColour("orange"));
    EXPECT_EQ(parseColour("orange", true)->rgba(), QColor(255, 165, 0).rgba());
    EXPECT_FALSE(parseColour("#12345"));
    EXPECT_FALSE(parseColour("#GGGGGG"));
    EXPECT_EQ(fnv1a(""), 2166136261u);
    EXPECT_EQ(fnv1a("a"), 0xe40c292cu);
    const std::vector<QColor> palette = {Qt::red, Qt::green, Qt::blue};
    EXPECT_EQ(fallbackColour("a", palette), palette[0xe40c292cu % 3]);
    const auto parsed = ParsedFile::parse(calendar("COLOR:teal\r\nX-APPLE-CALENDAR-COLOR:#FF0000\r\n"));
    EXPECT_EQ(parsed.colour()->rgba(), QColor(0, 128, 128).rgba());
    EXPECT_EQ(ParsedFile::parse(calendar("X-APPLE-CALENDAR-COLOR:#00FF00FF\r\n")).colour()->rgba(), QColor(Qt::green).rgba());
    EXPECT_FALSE(ParsedFile::parse(calendar("COLOR:not-a-colour\r\n")).colour());
}
