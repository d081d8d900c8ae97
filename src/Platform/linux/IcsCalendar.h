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
#include <memory>
#include <optional>
#include <vector>

namespace vesk::ics {

// Files larger than this are skipped.
constexpr int64_t maxFileSize = 32 * 1024 * 1024;
// At most this many occurrences of one event in one window, and this many steps of its rule.
constexpr int maxOccurrences = 1000;
constexpr int maxRuleSteps = 20000;

// The span events are expanded over, and the zone of floating times and all-day dates.
struct Window {
    double from = 0;
    double to = 0;
    QTimeZone zone = QTimeZone::systemTimeZone();
    bool operator==(const Window &other) const { return from == other.from && to == other.to && zone == other.zone; }
};

// The window the store keeps: from the start of the month before `now` to the end of the month after.
Window windowAround(double now, const QTimeZone &zone);

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
    // Appends the occurrences of its events overlapping the window, in file order.
    void expand(const Window &window, const QColor &colour, std::vector<StoredEvent> &out) const;

private:
    void *root_ = nullptr;  // icalcomponent
};

// "#RRGGBB" or "#RRGGBBAA" (a vdir `color` file, surrounding blanks allowed); a CSS colour name too
// when `names` is set.
std::optional<QColor> parseColour(QByteArrayView text, bool names = false);

// The 32-bit FNV-1a hash of a calendar's absolute path (UTF-8), which picks its fallback colour.
uint32_t fnv1a(QByteArrayView bytes);
QColor fallbackColour(const QString &absolutePath, const std::vector<QColor> &palette);

// Reads a whole regular file without blocking on a FIFO or device; nothing when it is not a regular
// file, is larger than `maxFileSize` or cannot be read.
std::optional<QByteArray> readRegularFile(const QString &path);

// The records of one file's bytes over a window: what the loader does for one file.
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
