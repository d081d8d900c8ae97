// The calendar's costs: loading a big file into records on the loader thread, a refresh that finds
// nothing new, a frame of the calendar page, and the memory of many reloads.
#include "FramePaint.h"
#include "SimIsland.h"

#include "Island/IslandHover.h"
#include "Platform/linux/IcsCalendar.h"
#include "Readouts/CalendarService.h"
#include "Readouts/Views/CalendarView.h"
#include "Kit/Palette.h"

#include "Platform/linux/IcsCalendarStore.h"
#include "Readouts/Views/CalendarPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vesk;

namespace {

// `count` events over the three months from `first`, one in ten weekly, the timed ones in a zone of
// the file.
QByteArray bigCalendar(int count = 5000, QDate first = QDate(2025, 1, 1))
{
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\n"
                     "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
                     "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\n"
                     "BEGIN:DAYLIGHT\r\nDTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
                     "TZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n";
    for (int i = 0; i < count; ++i) {
        const QDate day = first.addDays(i % 90);
        const QString start = day.toString(QStringLiteral("yyyyMMdd")) + u'T'
                              + QTime(8 + i % 10, (i * 7) % 60).toString(QStringLiteral("HHmmss"));
        out += "BEGIN:VEVENT\r\nUID:event-" + QByteArray::number(i) + "@bench.example\r\nDTSTAMP:20250101T000000Z\r\n"
               "SUMMARY:Meeting number " + QByteArray::number(i) + " about the quarterly planning\r\n"
               "DESCRIPTION:An agenda that is long enough to look like what calendars really hold.\r\n"
               "LOCATION:Room " + QByteArray::number(i % 40) + "\r\n"
               "DTSTART;TZID=Europe/Berlin:" + start.toLatin1() + "\r\nDURATION:PT45M\r\n";
        if (i % 10 == 0)
            out += "RRULE:FREQ=WEEKLY;COUNT=12\r\n";
        out += "END:VEVENT\r\n";
    }
    return out + "END:VCALENDAR\r\n";
}

void BM_LoadBigCalendarFile(benchmark::State &state)
{
    const QByteArray file = bigCalendar();
    const QTimeZone zone("Europe/Berlin");
    const ics::Window window = ics::windowAround(QDateTime(QDate(2025, 2, 10), QTime(12, 0), zone).toSecsSinceEpoch(), zone);
    size_t records = 0;
    for (auto _ : state) {
        records = ics::recordsFromBytes(file, window, QColor(Qt::red)).size();
        benchmark::DoNotOptimize(records);
    }
    state.counters["bytes"] = double(file.size());
    state.counters["records"] = double(records);
}
BENCHMARK(BM_LoadBigCalendarFile)->Unit(benchmark::kMillisecond);

// About 3,000 occurrences this month, already published: the refresh reads no file.
void BM_UnchangedCalendarRefresh(benchmark::State &state)
{
    bench::SimIsland island;
    CalendarService &service = island.model->calendar();
    const double monthStart = QDateTime(QDate(2025, 1, 1), QTime(0, 0), QTimeZone::systemTimeZone()).toSecsSinceEpoch();
    for (int i = 0; i < 3000; ++i) {
        const double start = monthStart + (i % 31) * 86400.0 + 8 * 3600 + (i % 20) * 1800;
        island.calendar.add({QStringLiteral("e%1").arg(i), QStringLiteral("Event %1").arg(i), start, start + 1800, false,
                             QColor::fromHsv((i * 37) % 360, 200, 230)});
    }
    service.refresh();
    for (auto _ : state)
        service.refresh();
    state.counters["events"] = double(service.events().peek().size());
}
BENCHMARK(BM_UnchangedCalendarRefresh)->Unit(benchmark::kMillisecond);

// The calendar page with three events and a dot under every day, painted at scale 2.
void BM_CalendarPageFrame(benchmark::State &state)
{
    bench::SimIsland island;
    const double now = island.time.wallNow();
    const QColor colours[] = {kit::palette::red.toQColor(), kit::palette::blue.toQColor(), kit::palette::green.toQColor()};
    for (int i = 0; i < 3; ++i)
        island.calendar.add({QStringLiteral("t%1").arg(i), QStringLiteral("Today's event %1").arg(i), now + 3600 * (i + 1),
                             now + 3600 * (i + 2), false, colours[i]});
    const double monthStart = QDateTime(QDate(2025, 1, 1), QTime(0, 0), QTimeZone::systemTimeZone()).toSecsSinceEpoch();
    for (int day = 0; day < 31; ++day)
        for (int c = 0; c < 3; ++c)
            island.calendar.add({QStringLiteral("d%1-%2").arg(day).arg(c), QStringLiteral("x"), monthStart + day * 86400.0 + 3600 * c,
                                 monthStart + day * 86400.0 + 3600 * c + 60, false, colours[c]});
    island.model->calendar().refresh();
    kit::Tree tree(QSizeF(760, 300));
    tree.setRoot(kit::view(CalendarView{}).frame(345, 175).environment(islandModel, island.model.get()));
    tree.update();
    bench::paintFrames(tree, state);
}
BENCHMARK(BM_CalendarPageFrame)->Unit(benchmark::kMicrosecond);

// The test fixtures (two calendar folders, one reached through a link) and a file of 500 events
// around now, reloaded again and again: every file parsed and expanded anew and the service
// refreshed each time. The resident size and the main thread's heap in use along the way show
// whether anything is kept per reload: both rise over the first few hundred reloads while the
// allocator and the caches warm up, then stay within tens of kilobytes. (glibc counts the heap
// of the main arena only; the loader thread's parses show in the resident size.)
void BM_CalendarReloadMemory(benchmark::State &state)
{
    const int reloads = int(state.range(0));
    QTemporaryDir dir;
    const QString own = dir.path() + "/vesk/calendars";
    QDir().mkpath(own);
    QStringList files;
    auto copyTree = [&](const QString &from, const QString &to) {
        QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = to + source.mid(from.size());
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(source, target);
            if (target.endsWith(QStringLiteral(".ics")))
                files << target;
        }
    };
    copyTree(QStringLiteral(VESK_BENCH_DATA "/calendars/basic"), own + "/basic");
    copyTree(QStringLiteral(VESK_BENCH_DATA "/calendars/recurring"), dir.path() + "/elsewhere/recurring");
    QFile::link(dir.path() + "/elsewhere/recurring/team", own + "/team");
    {
        const QDate today = QDate::currentDate();
        QFile big(own + "/around-now.ics");
        big.open(QIODevice::WriteOnly);
        big.write(bigCalendar(500, QDate(today.year(), today.month(), 1).addMonths(-1)));
        files << big.fileName();
    }

    IcsCalendarStore store({own, {}, {}}, calendarFallbackColours());
    store.waitUntilLoaded();
    CalendarService service(store);
    service.refresh();

    // Moving every file's modification time makes the loader parse each of them again.
    int64_t stamp = 0;
    auto reload = [&] {
        ++stamp;
        for (const QString &file : files) {
            const timespec times[2] = {{0, UTIME_OMIT}, {1700000000 + stamp, 0}};
            utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0);
        }
        store.requestAccess([] {});
        store.waitUntilLoaded();
        service.refresh();
        // As the application's event loop would: the loader's wake-ups and the watcher's reports.
        QCoreApplication::processEvents();
    };
    auto heapKB = [] { return double(mallinfo2().uordblks) / 1024.0; };
    auto residentKB = [] {
        long pages = 0, resident = 0;
        if (FILE *f = fopen("/proc/self/statm", "r")) {
            if (fscanf(f, "%ld %ld", &pages, &resident) != 2)
                resident = 0;
            fclose(f);
        }
        return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
    };

    // The main heap in use and the resident size after 50, 250, 500 and all reloads.
    const int checkpoints[] = {50, 250, 500, reloads};
    double heap[4] = {}, resident[4] = {};
    const int parsedBefore = store.parseCount();
    for (auto _ : state) {
        int done = 0;
        for (int c = 0; c < 4; ++c) {
            for (; done < checkpoints[c]; ++done)
                reload();
            heap[c] = heapKB();
            resident[c] = residentKB();
        }
    }
    state.counters["reloads"] = reloads;
    state.counters["files_parsed"] = store.parseCount() - parsedBefore;
    state.counters["events_today"] = double(service.events().peek().size());
    const char *names[] = {"50", "250", "500", "end"};
    for (int c = 0; c < 4; ++c) {
        state.counters[std::string("main_heap_kb_") + names[c]] = heap[c];
        state.counters[std::string("rss_kb_") + names[c]] = resident[c];
    }
    state.counters["main_heap_growth_kb_500_to_end"] = heap[3] - heap[2];
    state.counters["rss_growth_kb_500_to_end"] = resident[3] - resident[2];
}
BENCHMARK(BM_CalendarReloadMemory)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A calendar folder holding `count` events that repeat every minute, loaded by the store as the
// application loads it, and the service refreshed: the loader's time, the records the main thread
// keeps, and the resident size after the load. Each file and each load keeps today's occurrences
// within a budget and one record a day, so the records stay a few thousand whatever the count.
void BM_MinutelyFloodLoad(benchmark::State &state)
{
    const int count = int(state.range(0));
    QTemporaryDir dir;
    const QString own = dir.path() + "/vesk/calendars";
    QDir().mkpath(own + "/flood");
    {
        QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\n";
        for (int i = 0; i < count; ++i)
            out += "BEGIN:VEVENT\r\nUID:m" + QByteArray::number(i) + "@bench.example\r\nSUMMARY:Every minute "
                   + QByteArray::number(i) + "\r\nDTSTART:20240101T" + QByteArray::number(1000000 + (i % 24) * 10000 + (i / 24) % 60 * 100).mid(1)
                   + "Z\r\nDURATION:PT1M\r\nRRULE:FREQ=MINUTELY\r\nEND:VEVENT\r\n";
        QFile file(own + "/flood/flood.ics");
        file.open(QIODevice::WriteOnly);
        file.write(out + "END:VCALENDAR\r\n");
    }
    size_t records = 0, today = 0;
    for (auto _ : state) {
        IcsCalendarStore store({own, {}, {}}, calendarFallbackColours());
        store.waitUntilLoaded();
        CalendarService service(store);
        service.refresh();
        store.waitUntilLoaded();
        records = store.events(-1e12, 1e12).size();
        today = service.events().peek().size();
    }
    long pages = 0, resident = 0;
    if (FILE *f = fopen("/proc/self/statm", "r")) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        fclose(f);
    }
    state.counters["events"] = count;
    state.counters["records_kept"] = double(records);
    state.counters["today_shown"] = double(today);
    state.counters["rss_kb"] = double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}
BENCHMARK(BM_MinutelyFloodLoad)->Arg(5000)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
