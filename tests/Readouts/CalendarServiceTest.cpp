#include "Readouts/CalendarService.h"

#include "Platform/sim/SimCalendarStore.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

// Times in UTC, so that days are plain; 2025-01-14 14:00.
const QTimeZone utc = QTimeZone::utc();
double at(int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(2025, month, day), QTime(hour, minute), utc).toSecsSinceEpoch();
}

const QColor red("#ff0000"), green("#00ff00"), blue("#0000ff"), grey("#808080");

}  // namespace

class CalendarServiceTest : public ::testing::Test {
protected:
    CalendarServiceTest() { service.setCalendar({utc, QLocale::c()}); }

    void add(double start, double end, QColor colour = red, std::optional<QString> title = QStringLiteral("E"),
             std::optional<QString> id = QStringLiteral("uid"), bool allDay = false)
    {
        store.add({id, title, start, end, allDay, colour});
    }
    std::vector<QColor> dotsOf(int day) const { return service.dots().peek()[day]; }

    VirtualTime time{at(1, 14, 14)};
    SimCalendarStore store;
    CalendarService service{store};
};

TEST_F(CalendarServiceTest, DotsMarkTheDaysAnEventCovers)
{
    add(at(1, 12, 10), at(1, 12, 11), red);                      // one day
    add(at(1, 5), at(1, 6), green, {}, {}, true);                 // all day: not the 6th
    add(at(1, 20), at(1, 23), blue, {}, {}, true);                // three days: 20, 21, 22
    add(at(1, 9, 12), at(1, 9, 12), grey);                        // zero length: its start day
    add(at(1, 25, 12), at(1, 24, 12), grey);                      // ends before it starts
    EXPECT_EQ(dotsOf(12).size(), 1u);
    EXPECT_EQ(dotsOf(11).size(), 0u);
    EXPECT_EQ(dotsOf(13).size(), 0u);
    EXPECT_EQ(dotsOf(5).size(), 1u);
    EXPECT_EQ(dotsOf(6).size(), 0u);
    EXPECT_EQ(dotsOf(21).size(), 1u);
    EXPECT_EQ(dotsOf(22).size(), 1u);
    EXPECT_EQ(dotsOf(23).size(), 0u);
    EXPECT_EQ(dotsOf(9).size(), 1u);
    EXPECT_EQ(dotsOf(25).size(), 1u);
    EXPECT_EQ(dotsOf(24).size(), 0u);
}

TEST_F(CalendarServiceTest, DotsAreCutAtTheMonthsEdges)
{
    add(at(12 - 11, 1) - 5 * 86400, at(1, 3, 12), red);  // from late December to noon on the 3rd
    add(at(1, 30), at(2, 3), blue);                        // into February
    for (int day = 1; day <= 3; ++day)
        EXPECT_EQ(dotsOf(day).size(), 1u) << day;
    EXPECT_EQ(dotsOf(4).size(), 0u);
    EXPECT_EQ(dotsOf(30).size(), 1u);
    EXPECT_EQ(dotsOf(31).size(), 1u);
    EXPECT_EQ(service.dots().peek().days.count(32), 0u);
    EXPECT_EQ(service.dots().peek().days.rbegin()->first, 31);
}

TEST_F(CalendarServiceTest, ADayKeepsTheFirstThreeDistinctColoursByStart)
{
    add(at(1, 8, 12), at(1, 8, 13), grey);
    add(at(1, 8, 9), at(1, 8, 10), red);
    add(at(1, 8, 10), at(1, 8, 11), green);
    add(at(1, 8, 11), at(1, 8, 12), blue);
    add(at(1, 8, 9, 30), at(1, 8, 10), QColor::fromRgbF(1, 0, 0));  // red again, in another colour spec
    const auto day = dotsOf(8);
    ASSERT_EQ(day.size(), 3u);
    EXPECT_EQ(day[0].rgba(), red.rgba());
    EXPECT_EQ(day[1].rgba(), green.rgba());
    EXPECT_EQ(day[2].rgba(), blue.rgba());
}

TEST_F(CalendarServiceTest, TodaysEventsAreTheOnesNotYetEnded)
{
    add(at(1, 14, 13), at(1, 14, 14), red, QStringLiteral("ended at two"));
    add(at(1, 14, 13), at(1, 14, 14, 1), red, QStringLiteral("ends at 14:01"));
    add(at(1, 15), at(1, 15, 1), red, QStringLiteral("midnight tomorrow"));
    add(at(1, 13, 9), at(1, 16), red, QStringLiteral("running since yesterday"));
    add(at(1, 14), at(1, 15), red, QStringLiteral("all day"), QStringLiteral("a"), true);
    std::vector<QString> titles;
    for (const auto &event : service.events().peek())
        titles.push_back(event.title);
    EXPECT_EQ(titles, (std::vector<QString>{"running since yesterday", "all day", "ends at 14:01"}));
}

TEST_F(CalendarServiceTest, EqualStartsKeepTheStoresOrderAndTitlesFallBack)
{
    add(at(1, 14, 15), at(1, 14, 16), red, QStringLiteral("first"));
    add(at(1, 14, 15), at(1, 14, 16), red, QStringLiteral("second"));
    add(at(1, 14, 15), at(1, 14, 16), red, std::nullopt);
    add(at(1, 14, 15), at(1, 14, 16), red, QString());
    const auto &events = service.events().peek();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].title, "first");
    EXPECT_EQ(events[1].title, "second");
    EXPECT_EQ(events[2].title, "Untitled");
    EXPECT_EQ(events[3].title, "");  // an empty title stays empty
}

TEST_F(CalendarServiceTest, IdentifiersJoinTheStoreIdentifierAndTheStart)
{
    EXPECT_EQ(occurrenceID("abc", 1736157600), "abc@1736157600.0");
    EXPECT_EQ(occurrenceID("abc", 1736157600.5), "abc@1736157600.5");
    EXPECT_EQ(occurrenceID("abc", 0.1), "abc@0.1");
    add(at(1, 14, 15), at(1, 14, 16), red, QStringLiteral("weekly"), QStringLiteral("w"));
    add(at(1, 14, 17), at(1, 14, 18), red, QStringLiteral("weekly"), QStringLiteral("w"));
    add(at(1, 14, 19), at(1, 14, 20), red, QStringLiteral("no id"), std::nullopt);
    const auto events = service.events().peek();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_NE(events[0].id, events[1].id);
    EXPECT_TRUE(events[2].id.endsWith(QStringLiteral("@") + QString::number(at(1, 14, 19), 'f', 0) + ".0"));
    EXPECT_GT(events[2].id.size(), 30);  // a UUID
    service.refresh();
    EXPECT_NE(service.events().peek()[2].id, events[2].id);  // new on every refresh, as kept
}

TEST_F(CalendarServiceTest, WithoutAccessNothingIsFetchedAndThePreviousStateStays)
{
    add(at(1, 14, 15), at(1, 14, 16));
    ASSERT_TRUE(service.isAuthorized().peek());
    ASSERT_EQ(service.events().peek().size(), 1u);
    int notified = 0;
    auto observe = [&](auto &observed) { return observed.observe([&] { ++notified; }); };
    auto a = observe(service.events());
    auto b = observe(service.dots());
    store.setStatus(CalendarAccess::denied);
    store.add({QStringLiteral("x"), QStringLiteral("later"), at(1, 14, 17), at(1, 14, 18), false, red});
    EXPECT_FALSE(service.isAuthorized().peek());
    EXPECT_EQ(service.events().peek().size(), 1u);
    EXPECT_EQ(notified, 0);
    for (auto status : {CalendarAccess::writeOnly, CalendarAccess::restricted, CalendarAccess::notDetermined}) {
        store.setStatus(status);
        service.refresh();
        EXPECT_FALSE(service.isAuthorized().peek());
    }
}

TEST_F(CalendarServiceTest, ARefreshThatFindsTheSameNotifiesNobody)
{
    add(at(1, 14, 15), at(1, 14, 16));
    add(at(1, 3, 15), at(1, 3, 16));
    int notified = 0;
    auto a = service.events().observe([&] { ++notified; });
    auto b = service.dots().observe([&] { ++notified; });
    auto c = service.isAuthorized().observe([&] { ++notified; });
    service.refresh();
    service.refresh();
    EXPECT_EQ(notified, 0);
    add(at(1, 20, 15), at(1, 20, 16));  // another day's dot only
    EXPECT_EQ(notified, 1);
}

TEST_F(CalendarServiceTest, ARefreshAsksTheStoreToLookAgainAndItsChangeDoesNot)
{
    // A store that keeps a copy of the calendars may have missed a change: every refresh has it look.
    service.refresh();
    EXPECT_EQ(store.reloadCount(), 1);
    add(at(1, 14, 15), at(1, 14, 16));  // the store's change republishes without asking again
    EXPECT_EQ(service.events().peek().size(), 1u);
    EXPECT_EQ(store.reloadCount(), 1);
    store.setStatus(CalendarAccess::notDetermined);  // a look may be what finds the first calendar
    service.refresh();
    EXPECT_EQ(store.reloadCount(), 2);
}

TEST_F(CalendarServiceTest, ARequestAnswersOnTheMainQueue)
{
    store.setStatus(CalendarAccess::notDetermined);
    add(at(1, 14, 15), at(1, 14, 16));
    EXPECT_FALSE(service.isAuthorized().peek());
    service.requestAccess();
    EXPECT_FALSE(service.isAuthorized().peek());  // not before the answer
    time.flush();
    EXPECT_TRUE(service.isAuthorized().peek());
    EXPECT_EQ(service.events().peek().size(), 1u);

    store.setStatus(CalendarAccess::denied);  // a refusal stays a refusal
    service.requestAccess();
    time.flush();
    EXPECT_FALSE(service.isAuthorized().peek());
    {
        CalendarService gone{store};
        gone.requestAccess();
    }
    time.flush();  // the answer finds no service: nothing runs against it
    EXPECT_EQ(store.requestCount(), 3);
}

TEST(CalendarServiceZones, AWeeklyEventAcrossAClockChangeMarksCalendarDays)
{
    // Berlin leaves summer time on 2025-10-26; a day there is 25 hours long.
    const QTimeZone berlin("Europe/Berlin");
    ASSERT_TRUE(berlin.isValid());
    auto local = [&](int day, int hour) { return QDateTime(QDate(2025, 10, day), QTime(hour, 0), berlin).toSecsSinceEpoch(); };
    VirtualTime time(local(20, 12));
    SimCalendarStore store;
    CalendarService service{store};
    service.setCalendar({berlin, QLocale::c()});
    // A night event from 23:00 on the 25th to 23:30 on the 26th, across the change: days 25 and 26.
    store.add({QStringLiteral("n"), QStringLiteral("night"), double(local(25, 23)), double(local(26, 23)) + 1800, false, red});
    // An all-day event on the 26th (25 hours): the 26th only.
    store.add({QStringLiteral("d"), QStringLiteral("day"), double(local(26, 0)), double(local(27, 0)), true, blue});
    const auto &dots = service.dots().peek();
    EXPECT_EQ(dots[25].size(), 1u);
    EXPECT_EQ(dots[26].size(), 2u);
    EXPECT_EQ(dots[27].size(), 0u);
}
