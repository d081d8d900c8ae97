#include "Platform/linux/IcsCalendarStore.h"

#include "Base/Clock.h"
#include "Base/MainQueue.h"
#include "Base/VirtualTime.h"
#include "Readouts/CalendarService.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

#include <sys/stat.h>
#include <unistd.h>

using namespace vesk;
using vesk::test::waitFor;

namespace {

const std::vector<QColor> palette = {QColor("#111111"), QColor("#222222"), QColor("#333333"), QColor("#444444"),
                                     QColor("#555555"), QColor("#666666"), QColor("#777777")};

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// An event starting `hours` from now, in a file of its own.
QByteArray eventFile(const QByteArray &uid, double hours, const QByteArray &extra = {})
{
    const QDateTime start = QDateTime::fromSecsSinceEpoch(qint64(appClock().wallNow() + hours * 3600), Qt::UTC);
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + extra + "BEGIN:VEVENT\r\nUID:" + uid + "\r\nSUMMARY:" + uid
           + "\r\nDTSTART:" + start.toString(QStringLiteral("yyyyMMddTHHmmssZ")).toLatin1()
           + "\r\nDURATION:PT1H\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

std::vector<QString> ids(const IcsCalendarStore &store)
{
    const double now = appClock().wallNow();
    std::vector<QString> list;
    for (const auto &event : store.events(now - 86400, now + 86400))
        list.push_back(event.identifier.value_or(QStringLiteral("?")));
    return list;
}

bool has(const IcsCalendarStore &store, const QString &id)
{
    const auto list = ids(store);
    return std::find(list.begin(), list.end(), id) != list.end();
}

class IcsCalendarStoreTest : public ::testing::Test {
protected:
    ics::Roots roots() const
    {
        return {dir.path() + "/vesk/calendars", {dir.path() + "/calendars", dir.path() + "/dot-calendars"},
                dir.path() + "/evolution/calendar"};
    }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(IcsCalendarStoreTest, ReadsEveryKindOfCalendarInStoreOrder)
{
    QTemporaryDir elsewhere;
    write(dir.path() + "/vesk/calendars/b-single.ics", eventFile("single", 1));
    write(dir.path() + "/vesk/calendars/a-folder/1.ics", eventFile("infolder", 1));
    write(elsewhere.path() + "/linked/1.ics", eventFile("linked", 1));
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path() + "/linked").constData(),
                        QFile::encodeName(dir.path() + "/vesk/calendars/c-link").constData()), 0);
    ASSERT_EQ(::symlink("loop.ics", QFile::encodeName(dir.path() + "/vesk/calendars/loop.ics").constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path() + "/vesk/calendars/fifo.ics").constData(), 0600), 0);
    QDir().mkpath(dir.path() + "/vesk/calendars/folder.ics");
    write(dir.path() + "/calendars/work/x.ics", eventFile("vdir", 1));
    write(dir.path() + "/calendars/work/color", "#336699\n");
    write(dir.path() + "/calendars/home/x.ics", eventFile("badcolour", 1, "COLOR:orange\r\n"));
    write(dir.path() + "/calendars/home/color", "not a colour");
    write(dir.path() + "/dot-calendars/junk/x.ics", QByteArray("\x00\x01garbage", 9));
    write(dir.path() + "/evolution/calendar/system/calendar.ics", eventFile("evolution", 1));

    IcsCalendarStore store(roots(), palette);
    EXPECT_EQ(store.authorizationStatus(), CalendarAccess::notDetermined);  // nothing before the first load
    EXPECT_TRUE(ids(store).empty());
    int changes = 0;
    auto connection = store.changed.connect([&] { ++changes; });
    store.waitUntilLoaded();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(store.authorizationStatus(), CalendarAccess::fullAccess);
    EXPECT_EQ(ids(store), (std::vector<QString>{"infolder", "single", "linked", "badcolour", "vdir", "evolution"}));
    const double now = appClock().wallNow();
    for (const auto &event : store.events(now - 86400, now + 86400)) {
        if (event.identifier == QStringLiteral("vdir")) {
            EXPECT_EQ(event.color.rgba(), QColor("#336699").rgba());
        }
        if (event.identifier == QStringLiteral("badcolour")) {  // the file's own colour, as the `color` file says nothing
            EXPECT_EQ(event.color.rgba(), QColor(255, 165, 0).rgba());
        }
        if (event.identifier == QStringLiteral("single")) {
            const QString path = dir.path() + "/vesk/calendars/b-single.ics";
            EXPECT_EQ(event.color.rgba(), ics::fallbackColour(path, palette).rgba());
        }
    }
}

TEST_F(IcsCalendarStoreTest, NoCalendarsIsNotDeterminedAndALookAgainFindsNew)
{
    IcsCalendarStore store(roots(), palette);
    store.waitUntilLoaded();
    EXPECT_EQ(store.authorizationStatus(), CalendarAccess::notDetermined);
    write(dir.path() + "/calendars/new/x.ics", eventFile("new", 1));
    bool answered = false;
    store.requestAccess([&] { answered = true; });
    store.waitUntilLoaded();
    ASSERT_TRUE(waitFor([&] { return answered; }));
    EXPECT_EQ(store.authorizationStatus(), CalendarAccess::fullAccess);
    EXPECT_EQ(ids(store), std::vector<QString>{"new"});
}

TEST_F(IcsCalendarStoreTest, AFileChangedWhileRunningIsPickedUpOnceAndOnlyItIsParsed)
{
    // Events that start now are on today's list whatever the hour; an hour from now may be tomorrow,
    // where a calendar keeps one mark per day.
    for (int i = 0; i < 5; ++i)
        write(dir.path() + QStringLiteral("/calendars/c/%1.ics").arg(i), eventFile("e" + QByteArray::number(i), 0));
    IcsCalendarStore store(roots(), palette);
    store.waitUntilLoaded();
    ASSERT_EQ(ids(store).size(), 5u);
    EXPECT_EQ(store.parseCount(), 5);
    int changes = 0;
    auto connection = store.changed.connect([&] { ++changes; });
    // A sync writing a burst: one changed event, one parse of the edited file plus the new one.
    write(dir.path() + "/calendars/c/2.ics", eventFile("edited", 0));
    write(dir.path() + "/calendars/c/9.ics", eventFile("added", 0));
    ASSERT_TRUE(waitFor([&] { return changes > 0; }));
    waitFor([] { return false; }, 800);  // a second reload would come within the settle delay
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(store.parseCount(), 7);
    const auto now = ids(store);
    EXPECT_NE(std::find(now.begin(), now.end(), "edited"), now.end());
    EXPECT_NE(std::find(now.begin(), now.end(), "added"), now.end());
}

TEST_F(IcsCalendarStoreTest, ASlowFileNeverDelaysTheMainQueue)
{
    // A big file takes the loader a while; the main queue keeps running meanwhile.
    QByteArray big = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; i < 3000; ++i)
        big += "BEGIN:VEVENT\r\nUID:u" + QByteArray::number(i) + "\r\nDTSTART:20250210T090000Z\r\nRRULE:FREQ=DAILY\r\nEND:VEVENT\r\n";
    big += "END:VCALENDAR\r\n";
    write(dir.path() + "/calendars/big/big.ics", big);
    QElapsedTimer clock;
    clock.start();
    IcsCalendarStore store(roots(), palette);
    bool ran = false;
    qint64 ranAfter = -1;
    auto item = mainQueue().after(0.01, [&] {
        ran = true;
        ranAfter = clock.elapsed();
    });
    ASSERT_TRUE(waitFor([&] { return ran; }));
    EXPECT_LT(ranAfter, 500);
    store.waitUntilLoaded();
    EXPECT_EQ(store.authorizationStatus(), CalendarAccess::fullAccess);
}

// On the virtual clock: the quiet time before a reload passes when the test says so, and the
// watcher's reports arrive with the Qt events the waits process.
class IcsCalendarStoreWatchTest : public IcsCalendarStoreTest {
protected:
    // Until `condition` holds: Qt's events, the quiet time, and the loads it starts.
    bool settlesTo(IcsCalendarStore &store, const std::function<bool()> &condition)
    {
        return waitFor([&] {
            time.advance(0.5);
            store.waitUntilLoaded();
            return condition();
        });
    }
    VirtualTime time;
};

TEST_F(IcsCalendarStoreWatchTest, EveryRefreshAndEveryChangeInACalendarFolderReachTheStore)
{
    const QString lunch = dir.path() + "/calendars/work/lunch.ics";
    write(dir.path() + "/calendars/work/standup.ics", eventFile("standup", 1));
    IcsCalendarStore store(roots(), palette);
    CalendarService service(store);
    store.waitUntilLoaded();
    ASSERT_TRUE(has(store, "standup"));
    for (int i = 0; i < 50; ++i) {
        // Even rounds: the user's refresh reads again. Odd ones: the folder's watch reports it.
        write(lunch, eventFile("lunch", 2));
        if (i % 2 == 0) {
            service.refresh();
            store.waitUntilLoaded();
            ASSERT_TRUE(has(store, "lunch")) << "round " << i;
        } else {
            ASSERT_TRUE(settlesTo(store, [&] { return has(store, "lunch"); })) << "round " << i;
        }
        ASSERT_TRUE(QFile::remove(lunch));
        if (i % 2 == 0) {
            service.refresh();
            store.waitUntilLoaded();
            ASSERT_FALSE(has(store, "lunch")) << "round " << i;
        } else {
            ASSERT_TRUE(settlesTo(store, [&] { return !has(store, "lunch"); })) << "round " << i;
        }
        ASSERT_TRUE(has(store, "standup"));
    }
}

TEST_F(IcsCalendarStoreWatchTest, AFileAddedBeforeItsFolderIsWatchedIsFound)
{
    // The first load lists the folder, then the file arrives, and only then does the watch begin:
    // no change is ever reported for it.
    write(dir.path() + "/calendars/work/standup.ics", eventFile("standup", 1));
    IcsCalendarStore store(roots(), palette);
    std::atomic<bool> once{false};
    store.setBeforeRead([&](const QString &) {
        if (!once.exchange(true))
            write(dir.path() + "/calendars/work/late.ics", eventFile("late", 1));
    });
    store.waitUntilLoaded();
    EXPECT_TRUE(has(store, "standup"));
    EXPECT_TRUE(has(store, "late"));
}

TEST_F(IcsCalendarStoreWatchTest, ALinkedFolderIsWatchedWhereItLeads)
{
    QTemporaryDir elsewhere;
    write(elsewhere.path() + "/a/a.ics", eventFile("a", 1));
    write(elsewhere.path() + "/b/b.ics", eventFile("b", 1));
    const QByteArray link = QFile::encodeName(dir.path() + "/vesk/calendars/team");
    QDir().mkpath(dir.path() + "/vesk/calendars");
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path() + "/a").constData(), link.constData()), 0);
    IcsCalendarStore store(roots(), palette);
    store.waitUntilLoaded();
    ASSERT_TRUE(has(store, "a"));
    // The link now leads to another folder; new files there are seen, as are the ones in it.
    ASSERT_EQ(::unlink(link.constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path() + "/b").constData(), link.constData()), 0);
    ASSERT_TRUE(settlesTo(store, [&] { return has(store, "b") && !has(store, "a"); }));
    write(elsewhere.path() + "/b/new.ics", eventFile("new", 1));
    EXPECT_TRUE(settlesTo(store, [&] { return has(store, "new"); }));
}

TEST_F(IcsCalendarStoreWatchTest, EachCalendarIsShownAsSoonAsItIsRead)
{
    write(dir.path() + "/calendars/a/a.ics", eventFile("a", 1));
    write(dir.path() + "/calendars/b/b.ics", eventFile("b", 1));
    IcsCalendarStore store(roots(), palette);
    // The second calendar is read only once the first one is seen on the main thread.
    std::atomic<bool> seenA{false};
    store.setBeforeRead([&](const QString &file) {
        if (file.endsWith("b.ics"))
            waitFor([&] { return seenA.load(); }, 5000);
    });
    EXPECT_TRUE(waitFor([&] { return has(store, "a"); }, 5000));
    EXPECT_FALSE(has(store, "b"));
    seenA = true;
    store.waitUntilLoaded();
    EXPECT_EQ(ids(store), (std::vector<QString>{"a", "b"}));
}

TEST_F(IcsCalendarStoreWatchTest, TodaysListCutByItsBudgetMovesOnAsTheDayGoes)
{
    // Three events every second since midnight: a thousand of each from midnight is all the first
    // load keeps of today, and those ended long before ten o'clock.
    QByteArray body = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    const QString midnight = QDateTime::fromSecsSinceEpoch(qint64(time.wallNow()), Qt::UTC).date().toString("yyyyMMdd");
    for (int i = 0; i < 3; ++i)
        body += "BEGIN:VEVENT\r\nUID:s" + QByteArray::number(i) + "\r\nDTSTART:" + midnight.toLatin1()
                + "T000000Z\r\nDURATION:PT1S\r\nRRULE:FREQ=SECONDLY\r\nEND:VEVENT\r\n";
    write(dir.path() + "/calendars/busy/busy.ics", body + "END:VCALENDAR\r\n");
    test::CapturedLog log;
    IcsCalendarStore store(roots(), palette);
    CalendarService service(store);
    store.waitUntilLoaded();
    auto nextStart = [&] {
        service.refresh();
        store.waitUntilLoaded();
        const auto &events = service.events().peek();
        return events.empty() ? 0.0 : events.front().start;
    };
    const double now = time.wallNow();
    EXPECT_EQ(nextStart(), std::floor(now));
    // Past the end of what that load kept, a minute later at the soonest, the list moves on.
    time.jumpWall(1200);
    EXPECT_EQ(nextStart(), std::floor(now) + 1200);
    const auto cuts = std::count_if(log.lines.begin(), log.lines.end(),
                                    [](const std::string &line) { return line.find("today's occurrences cut") != std::string::npos; });
    EXPECT_EQ(cuts, 1);  // said once, however often it happens again
}

TEST_F(IcsCalendarStoreWatchTest, ChangesThatKeepComingStillReloadWithinTwoSeconds)
{
    // A sync that writes more often than the half second of quiet the reload waits for.
    const QString file = dir.path() + "/calendars/sync/x.ics";
    write(file, eventFile("v0", 1));
    IcsCalendarStore store(roots(), palette);
    store.waitUntilLoaded();
    ASSERT_TRUE(has(store, "v0"));
    for (int i = 1; i <= 5; ++i) {
        const auto before = time.queue().nextDue();
        write(file, eventFile("v" + QByteArray::number(i), 1));
        ASSERT_TRUE(waitFor([&] { return time.queue().nextDue() != before; })) << "round " << i;  // the watch reported it
        time.advance(0.45);
        store.waitUntilLoaded();
    }
    EXPECT_FALSE(has(store, "v0"));
}
