#include "Platform/linux/IcsCalendar.h"
#include "Platform/linux/IcsComponents.h"

#include "Platform/RegularFile.h"
#include "Platform/XdgFolders.h"

#include <libical/ical.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace vesk::ics {

namespace {

// libical's default is to abort on some errors; a bad file must never end the program.
void quietErrors()
{
    static const bool once = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    (void)once;
}

}  // namespace

Window windowAround(double now, const QTimeZone &zone)
{
    const QDate today = QDateTime::fromMSecsSinceEpoch(qint64(now * 1000.0), zone).date();
    const QDate first(today.year(), today.month(), 1);
    return {first.addMonths(-1).startOfDay(zone).toMSecsSinceEpoch() / 1000.0,
            first.addMonths(2).startOfDay(zone).toMSecsSinceEpoch() / 1000.0,
            today.startOfDay(zone).toMSecsSinceEpoch() / 1000.0, today.addDays(1).startOfDay(zone).toMSecsSinceEpoch() / 1000.0,
            zone};
}

std::vector<double> Window::days() const
{
    std::vector<double> starts;
    if (!(to > from))
        return starts;
    QDate day = QDateTime::fromMSecsSinceEpoch(qint64(from * 1000.0), zone).date();
    for (int i = 0; i < 400 && day.isValid(); ++i, day = day.addDays(1)) {
        const double start = std::max(from, day.startOfDay(zone).toMSecsSinceEpoch() / 1000.0);
        if (start >= to)
            break;
        starts.push_back(start);
    }
    starts.push_back(to);
    return starts;
}

ParsedFile::~ParsedFile()
{
    if (root_)
        icalcomponent_free(asComponent(root_));
}

ParsedFile::ParsedFile(ParsedFile &&other) noexcept : root_(std::exchange(other.root_, nullptr)) {}

ParsedFile &ParsedFile::operator=(ParsedFile &&other) noexcept
{
    if (this != &other) {
        if (root_)
            icalcomponent_free(asComponent(root_));
        root_ = std::exchange(other.root_, nullptr);
    }
    return *this;
}

ParsedFile ParsedFile::parse(const QByteArray &bytes)
{
    quietErrors();
    ParsedFile file;
    // A BOM before BEGIN hides the first line from the parser.
    QByteArray data = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    file.root_ = icalparser_parse_string(data.constData());
    icalerror_clear_errno();
    return file;
}

std::optional<QColor> ParsedFile::colour() const
{
    std::optional<QColor> apple;
    std::optional<QColor> found;
    forEachCalendar(asComponent(root_), [&](icalcomponent *calendar) {
        if (found)
            return;
        for (icalproperty *p = icalcomponent_get_first_property(calendar, ICAL_ANY_PROPERTY); p;
             p = icalcomponent_get_next_property(calendar, ICAL_ANY_PROPERTY)) {
            const char *name = icalproperty_get_property_name(p);
            if (!name)
                continue;
            const QByteArray key(name);
            const char *value = icalproperty_get_value_as_string(p);
            if (!value)
                continue;
            if (key == "COLOR" && !found)
                found = parseColour(QByteArrayView(value), true);
            else if (key == "X-APPLE-CALENDAR-COLOR" && !apple)
                apple = parseColour(QByteArrayView(value));
        }
    });
    return found ? found : apple;
}

std::vector<StoredEvent> calendarRecords(const std::vector<const FileRecords *> &files, const QColor &colour,
                                         int &todayLeft, double &completeBefore)
{
    struct Item {
        const Record *record;
        size_t file;
    };
    std::vector<Item> items;
    size_t days = 0;
    for (const FileRecords *f : files)
        days = std::max(days, f->firsts.size());
    for (size_t d = 0; d < days; ++d) {
        std::optional<Item> best;
        for (size_t i = 0; i < files.size(); ++i) {
            if (d >= files[i]->firsts.size())
                continue;
            const auto &slot = files[i]->firsts[d];
            if (slot && (!best || slot->event.start < best->record->event.start))
                best = Item{&*slot, i};
        }
        if (best)
            items.push_back(*best);
    }
    for (size_t i = 0; i < files.size(); ++i) {
        const auto &today = files[i]->today;
        const size_t take = std::min(today.size(), size_t(std::max(0, todayLeft)));
        todayLeft -= int(take);
        if (take < today.size())
            completeBefore = std::min(completeBefore, today[take].event.start);
        completeBefore = std::min(completeBefore, files[i]->completeBefore);
        for (size_t k = 0; k < take; ++k)
            items.push_back({&today[k], i});
    }
    // File order, as the store answers (the service sorts by start, keeping this order for ties).
    auto key = [](const Item &a) { return std::tuple(a.file, a.record->eventIndex, a.record->event.start, a.record->order); };
    std::sort(items.begin(), items.end(), [&](const Item &a, const Item &b) { return key(a) < key(b); });
    std::vector<StoredEvent> out;
    out.reserve(items.size());
    const Item *previous = nullptr;
    for (const Item &item : items) {
        // The same occurrence may mark a day and be on today's list; an event's start may also be
        // one its rule yields.
        if (previous && previous->file == item.file && previous->record->eventIndex == item.record->eventIndex
            && previous->record->event.start == item.record->event.start)
            continue;
        previous = &item;
        out.push_back(item.record->event);
        out.back().color = colour;
    }
    return out;
}

std::optional<QColor> parseColour(QByteArrayView text, bool names)
{
    const QByteArray t = text.toByteArray().trimmed();
    if (t.startsWith('#') && (t.size() == 7 || t.size() == 9)) {
        bool ok = false;
        const uint value = t.mid(1).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        if (t.size() == 7)
            return QColor::fromRgb(int(value >> 16) & 0xFF, int(value >> 8) & 0xFF, int(value) & 0xFF);
        return QColor::fromRgb(int(value >> 24) & 0xFF, int(value >> 16) & 0xFF, int(value >> 8) & 0xFF, int(value) & 0xFF);
    }
    if (names && !t.isEmpty() && std::all_of(t.begin(), t.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); })) {
        const QColor named = QColor::fromString(QString::fromLatin1(t).toLower());
        if (named.isValid())
            return named.toRgb();
    }
    return std::nullopt;
}

uint32_t fnv1a(QByteArrayView bytes)
{
    uint32_t hash = 2166136261u;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

QColor fallbackColour(const QString &absolutePath, const std::vector<QColor> &palette)
{
    if (palette.empty())
        return QColor(Qt::white);
    return palette[fnv1a(absolutePath.toUtf8()) % palette.size()];
}

std::optional<QByteArray> readRegularFile(const QString &path)
{
    FileBytes file = vesk::readRegularFile(QFile::encodeName(path).toStdString(), size_t(maxFileSize));
    if (file.error != 0)
        return std::nullopt;
    return QByteArray::fromStdString(file.bytes);
}

std::vector<StoredEvent> recordsFromBytes(const QByteArray &bytes, const Window &window, const QColor &colour)
{
    const FileRecords records = ParsedFile::parse(bytes).expand(window, window.dayStart);
    int todayLeft = maxTodayPerLoad;
    double completeBefore = std::numeric_limits<double>::infinity();
    return calendarRecords({&records}, colour, todayLeft, completeBefore);
}

Roots Roots::fromEnvironment()
{
    const QString home = QDir::homePath();
    const QString data = QString::fromStdString(xdgUserFolder("XDG_DATA_HOME", ".local/share"));
    return {data + QStringLiteral("/vesk/calendars"),
            {data + QStringLiteral("/calendars"), home + QStringLiteral("/.calendars")},
            data + QStringLiteral("/evolution/calendar")};
}

QStringList Roots::all() const
{
    QStringList list;
    if (!own.isEmpty())
        list << own;
    list << vdirs;
    if (!evolution.isEmpty())
        list << evolution;
    return list;
}

namespace {

bool isIcs(const QString &name) { return name.endsWith(QStringLiteral(".ics"), Qt::CaseInsensitive); }

// The entries of a folder, by name, following links to what they name (stat follows them and
// reports a loop as an error, so a loop is skipped).
struct Entry {
    QString path;
    bool isFolder;
};
std::vector<Entry> entries(const QString &folder)
{
    std::vector<Entry> list;
    QDir dir(folder);
    if (!dir.exists())
        return list;
    QStringList names = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        const QString path = folder + u'/' + name;
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            list.push_back({path, true});
        else if (S_ISREG(st.st_mode))
            list.push_back({path, false});
    }
    return list;
}

QStringList icsFiles(const QString &folder)
{
    QStringList files;
    for (const auto &entry : entries(folder)) {
        if (!entry.isFolder && isIcs(entry.path))
            files << entry.path;
    }
    return files;
}

}  // namespace

std::vector<Source> discover(const Roots &roots)
{
    std::vector<Source> found;
    QSet<QString> seen;  // canonical paths, so a calendar linked twice is read once
    auto add = [&](Source source) {
        const QString canonical = QFileInfo(source.path).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            return;
        seen.insert(canonical);
        found.push_back(std::move(source));
    };
    if (!roots.own.isEmpty()) {
        for (const auto &entry : entries(roots.own)) {
            if (entry.isFolder)
                add({entry.path, true, icsFiles(entry.path)});
            else if (isIcs(entry.path))
                add({entry.path, false, {entry.path}});
        }
    }
    for (const QString &root : roots.vdirs) {
        for (const auto &entry : entries(root)) {
            if (entry.isFolder)
                add({entry.path, true, icsFiles(entry.path)});
        }
    }
    if (!roots.evolution.isEmpty()) {
        for (const auto &entry : entries(roots.evolution)) {
            const QString file = entry.path + QStringLiteral("/calendar.ics");
            struct stat st {};
            if (entry.isFolder && ::stat(QFile::encodeName(file).constData(), &st) == 0 && S_ISREG(st.st_mode))
                add({file, false, {file}});
        }
    }
    return found;
}

}  // namespace vesk::ics
