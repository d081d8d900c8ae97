// The calendar's costs: loading a big file into records on the loader thread, a refresh that finds
// nothing new, and a frame of the calendar page.
#include "FramePaint.h"
#include "SimIsland.h"

#include "Island/IslandHover.h"
#include "Platform/linux/IcsCalendar.h"
#include "Readouts/CalendarService.h"
#include "Readouts/Views/CalendarView.h"
#include "Kit/Palette.h"

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

// 5,000 events over three months, one in ten weekly, the timed ones in a zone of the file.
QByteArray bigCalendar()
{
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\n"
                     "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
                     "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\n"
                     "BEGIN:DAYLIGHT\r\nDTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
                     "TZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n";
    const QDate first(2025, 1, 1);
    for (int i = 0; i < 5000; ++i) {
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

}  // namespace
