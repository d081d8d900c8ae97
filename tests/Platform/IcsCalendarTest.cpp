#include "Platform/linux/IcsCalendar.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <chrono>

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
        if (local.date() != QDate(2025, 1, 8))
            EXPECT_EQ(local.time(), QTime(9, 0)) << local.toString().toStdString();
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
    const auto secondly = read(calendar(event("UID:s\r\nDTSTART:20250201T000000Z\r\nRRULE:FREQ=SECONDLY\r\n")));
    EXPECT_EQ(secondly.size(), size_t(maxOccurrences));
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
