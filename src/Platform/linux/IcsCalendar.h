#pragma once

// Reading iCalendar files into plain event records. Everything here runs on the calendar store's
// loader thread (or in a tool), never on the main thread: it reads files and owns libical objects.

#include "Platform/CalendarStore.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace vesk::ics {

// Files larger than this are skipped.
constexpr int64_t maxFileSize = 32 * 1024 * 1024;
// One event keeps at most this many of today's occurrences and walks at most this many steps of a
// rule it leaves to libical.
constexpr int maxOccurrences = 1000;
constexpr int maxRuleSteps = 20000;
// Today's occurrences kept of one file and of one load, the earliest first.
constexpr int maxTodayPerFile = 2000;
constexpr int maxTodayPerLoad = 5000;
// The work one file and one load may cost, counted in occurrences computed and rule steps taken;
// past it the file's (or the load's) remaining events are skipped.
constexpr int64_t maxCostPerFile = 1000000;
constexpr int64_t maxCostPerLoad = 5000000;

// The span events are expanded over, today within it, and the zone of floating times and all-day
// dates.
struct Window {
    double from = 0;
    double to = 0;
    double dayStart = 0;
    double dayEnd = 0;
    QTimeZone zone = QTimeZone::systemTimeZone();
    bool operator==(const Window &other) const
    {
        return from == other.from && to == other.to && dayStart == other.dayStart && dayEnd == other.dayEnd
               && zone == other.zone;
    }
    // The starts of the window's days, and the window's end after them.
    std::vector<double> days() const;
};

// The window the store keeps: from the start of the month before `now` to the end of the month
// after, and the day that contains `now`.
Window windowAround(double now, const QTimeZone &zone);

// One occurrence as a load keeps it, with where it came from in its file (for a stable order).
struct Record {
    StoredEvent event;
    uint32_t eventIndex = 0;  // the event's place in its file
    uint32_t order = 0;       // the occurrence's place among the event's
};

// What a load keeps of a file: what the calendar pages can show. That is every occurrence of today
// that has not ended (today's agenda), and for each day only the earliest occurrence on it, as the
// month grid draws one mark per calendar and day, in start order. The records carry no colour: the
// calendar's is set when they are handed over.
struct FileRecords {
    // Today's occurrences that end after the load's `agendaFrom`, by start, at most maxTodayPerFile.
    std::vector<Record> today;
    // Per day of the window, the occurrence that starts earliest among those on that day.
    std::vector<std::optional<Record>> firsts;
    // Today's list holds every occurrence that starts before this (the rest were past a budget).
    double completeBefore = std::numeric_limits<double>::infinity();
    int refusedRules = 0;   // rules not expanded (sub-daily ones that filter)
    int skippedEvents = 0;  // events not read once the file's work ran out
    int64_t cost = 0;
};

// One parsed file (a VCALENDAR, or several). Move-only; frees its libical tree.
class ParsedFile {
public:
    ParsedFile() = default;
    ~ParsedFile();
    ParsedFile(ParsedFile &&other) noexcept;
    ParsedFile &operator=(ParsedFile &&other) noexcept;
    ParsedFile(const ParsedFile &) = delete;
    ParsedFile &operator=(const ParsedFile &) = delete;

    static ParsedFile parse(const QByteArray &bytes);
    bool isEmpty() const { return root_ == nullptr; }
    // The calendar's own colour (COLOR, else X-APPLE-CALENDAR-COLOR), when it names a valid one.
    std::optional<QColor> colour() const;
    // What the pages need of its events over the window, today's agenda from `agendaFrom`, at most
    // `costLimit` of work.
    FileRecords expand(const Window &window, double agendaFrom, int64_t costLimit = maxCostPerFile) const;

private:
    void *root_ = nullptr;  // icalcomponent
};

// The records of a calendar's files, in file order (an event's by start), each once, in the
// calendar's colour: each day's earliest occurrence among the files, and the files' agendas as far as
// `todayLeft` lasts (it is used up; `completeBefore` is lowered where an agenda was cut).
std::vector<StoredEvent> calendarRecords(const std::vector<const FileRecords *> &files, const QColor &colour,
                                         int &todayLeft, double &completeBefore);

// "#RRGGBB" or "#RRGGBBAA" (a vdir `color` file, surrounding blanks allowed); a CSS colour name too
// when `names` is set.
std::optional<QColor> parseColour(QByteArrayView text, bool names = false);

// The 32-bit FNV-1a hash of a calendar's absolute path (UTF-8), which picks its fallback colour.
uint32_t fnv1a(QByteArrayView bytes);
QColor fallbackColour(const QString &absolutePath, const std::vector<QColor> &palette);

// Reads a whole regular file without blocking on a FIFO or device; nothing when it is not a regular
// file, is larger than `maxFileSize` or cannot be read.
std::optional<QByteArray> readRegularFile(const QString &path);

// The records of one file's bytes over a window, today's agenda from the start of the day: what the
// loader keeps of one file.
std::vector<StoredEvent> recordsFromBytes(const QByteArray &bytes, const Window &window, const QColor &colour);

// Where calendars are found, in their order.
struct Roots {
    QString own;          // Vesk's own folder: each subfolder and each .ics file is a calendar
    QStringList vdirs;    // folders with one subfolder per calendar, one item per .ics file
    QString evolution;    // a mail client's folder of local calendars (*/calendar.ics)
    static Roots fromEnvironment();
    QStringList all() const;
};

// One calendar: a folder of .ics items (with an optional `color` file) or a single .ics file.
struct Source {
    QString path;        // absolute
    bool isFolder = false;
    QStringList files;   // the .ics files, by name
};

// The calendars under the roots, in store order (by root, then by path), each once.
std::vector<Source> discover(const Roots &roots);

}  // namespace vesk::ics
