#include "Platform/linux/IcsCalendarStore.h"

#include "Base/Clock.h"
#include "Base/Log.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMetaObject>
#include <QObject>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace vesk {

namespace {
constexpr double settleDelay = 0.5;  // a sync writes many files: reload once they are quiet
constexpr double settleAtMost = 2.0;  // but not later than this after the first of them
constexpr double agendaSpacing = 60;  // the least time between two loads that move the agenda on

// Where a path leads: a linked folder or file is watched where its link points.
QString resolved(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}
}  // namespace

// A load's answer: one calendar that was read (`final` false), or the end of the load.
struct IcsCalendarStore::Result {
    uint64_t generation = 0;
    bool final = false;
    QStringList sources;  // the load's calendars, in store order
    QString source;       // the calendar read
    std::vector<StoredEvent> records;
    CalendarAccess status = CalendarAccess::notDetermined;
    QStringList watched;
    QStringList folders;  // the watched paths that are folders
    double completeBefore = std::numeric_limits<double>::infinity();
};

struct IcsCalendarStore::Loader {
    ics::Roots roots;
    std::vector<QColor> palette;

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    bool stopping = false;
    bool rescan = true;
    std::optional<ics::Window> wanted;  // a window to expand over, when asked
    std::optional<double> agendaFrom;   // where today's agenda starts, when asked
    uint64_t requested = 0;             // generations: asked, answered
    uint64_t answered = 0;
    std::vector<Result> inbox;
    std::function<void()> notify;  // wakes the main thread (set once, before the thread starts)
    std::function<void(const QString &)> beforeRead;
    int parses = 0;

    // Loader-thread state.
    struct Cached {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec mtime{};
        ics::ParsedFile parsed;
        std::optional<QColor> colour;
        // The last expansion, and what it was made for.
        std::optional<ics::FileRecords> records;
        ics::Window window;
        double agendaFrom = 0;
        int64_t costLimit = 0;
    };
    std::map<QString, Cached> cache;
    std::vector<ics::Source> sources;
    std::map<QString, std::optional<QColor>> folderColours;
    ics::Window window;
    double from = 0;  // today's agenda
    std::string lastReport;

    std::thread thread;

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return stopping || answered < requested; });
            if (stopping)
                return;
            const uint64_t generation = requested;
            const bool again = std::exchange(rescan, false);
            const auto next = std::exchange(wanted, std::nullopt);
            const auto nextFrom = std::exchange(agendaFrom, std::nullopt);
            lock.unlock();
            Result result = load(generation, again, next, nextFrom);
            lock.lock();
            answered = std::max(answered, generation);
            inbox.push_back(std::move(result));
            idle.notify_all();
            if (notify)
                notify();
        }
    }

    void publish(Result partial)
    {
        std::lock_guard lock(mutex);
        inbox.push_back(std::move(partial));
        if (notify)
            notify();
    }

    Result load(uint64_t generation, bool again, const std::optional<ics::Window> &next, const std::optional<double> &nextFrom)
    {
        if (next) {
            window = *next;
            from = window.dayStart;
        }
        if (nextFrom)
            from = *nextFrom;
        if (again || sources.empty()) {
            sources = ics::discover(roots);
            folderColours.clear();
            for (const auto &source : sources) {
                if (source.isFolder) {
                    const auto bytes = ics::readRegularFile(source.path + QStringLiteral("/color"));
                    folderColours[source.path] = bytes ? ics::parseColour(*bytes) : std::nullopt;
                }
            }
        }
        Result result;
        result.generation = generation;
        result.final = true;
        result.status = sources.empty() ? CalendarAccess::notDetermined : CalendarAccess::fullAccess;
        for (const auto &source : sources)
            result.sources << source.path;
        for (const QString &root : roots.all()) {
            result.watched << resolved(root);
            result.folders << result.watched.back();
        }
        std::map<QString, Cached> kept;
        int todayLeft = ics::maxTodayPerLoad;
        int64_t costLeft = ics::maxCostPerLoad;
        int refused = 0, skippedEvents = 0, skippedFiles = 0, cutFiles = 0;
        for (const auto &source : sources) {
            result.watched << resolved(source.path);
            if (source.isFolder)
                result.folders << result.watched.back();
            std::vector<std::pair<Cached *, QString>> files;
            for (const QString &file : source.files) {
                if (source.isFolder)
                    result.watched << resolved(file);
                if (Cached *cached = refreshed(file, kept))
                    files.emplace_back(cached, file);
            }
            QColor colour;
            if (auto it = folderColours.find(source.path); it != folderColours.end() && it->second) {
                colour = *it->second;
            } else {
                std::optional<QColor> own;
                for (const auto &[cached, file] : files) {
                    if ((own = cached->colour))
                        break;
                }
                colour = own ? *own : ics::fallbackColour(source.path, palette);
            }
            std::vector<const ics::FileRecords *> expanded;
            for (const auto &[cached, file] : files) {
                if (costLeft <= 0) {
                    ++skippedFiles;
                    continue;
                }
                const int64_t limit = std::min(ics::maxCostPerFile, costLeft);
                const auto &records = expandedOf(*cached, limit);
                costLeft -= std::max<int64_t>(1, records.cost);
                refused += records.refusedRules;
                skippedEvents += records.skippedEvents;
                if (records.completeBefore < std::numeric_limits<double>::infinity())
                    ++cutFiles;
                expanded.push_back(&records);
            }
            const int before = todayLeft;
            Result partial;
            partial.generation = generation;
            partial.sources = result.sources;
            partial.source = source.path;
            partial.status = result.status;
            partial.records = ics::calendarRecords(expanded, colour, todayLeft, result.completeBefore);
            if (todayLeft == 0 && before > 0 && result.completeBefore < std::numeric_limits<double>::infinity())
                ++cutFiles;
            publish(std::move(partial));
        }
        cache = std::move(kept);
        report(refused, skippedEvents, skippedFiles, cutFiles);
        return result;
    }

    // One line for what this load left out, when it differs from the last one.
    void report(int refused, int skippedEvents, int skippedFiles, int cutFiles)
    {
        std::string line;
        auto add = [&](const std::string &part) { line += (line.empty() ? "calendar: " : "; ") + part; };
        if (refused)
            add(std::to_string(refused) + " sub-daily repeat rules with filters shown at their start only");
        if (skippedEvents || skippedFiles)
            add(std::to_string(skippedEvents) + " events and " + std::to_string(skippedFiles)
                + " files skipped past the work a file (" + std::to_string(ics::maxCostPerFile) + " steps) or a load ("
                + std::to_string(ics::maxCostPerLoad) + ") may cost");
        if (cutFiles)
            add("today's occurrences cut in " + std::to_string(cutFiles) + " files, past "
                + std::to_string(ics::maxOccurrences) + " an event, " + std::to_string(ics::maxTodayPerFile) + " a file or "
                + std::to_string(ics::maxTodayPerLoad) + " in all");
        if (line != lastReport && !line.empty())
            log(line);
        lastReport = line;
    }

    const ics::FileRecords &expandedOf(Cached &cached, int64_t costLimit)
    {
        const bool fits = cached.records && cached.window == window && cached.agendaFrom == from
                          && (cached.costLimit == costLimit || cached.records->cost <= std::min(costLimit, cached.costLimit));
        if (!fits) {
            cached.records = cached.parsed.expand(window, from, costLimit);
            cached.window = window;
            cached.agendaFrom = from;
            cached.costLimit = costLimit;
        }
        return *cached.records;
    }

    // The file's parse, re-read only when it changed on disk; nullptr when it cannot be read.
    Cached *refreshed(const QString &file, std::map<QString, Cached> &kept)
    {
        struct stat st {};
        if (::stat(QFile::encodeName(file).constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > ics::maxFileSize)
            return nullptr;
        auto old = cache.find(file);
        if (old != cache.end() && old->second.device == st.st_dev && old->second.inode == st.st_ino
            && old->second.size == st.st_size && old->second.mtime.tv_sec == st.st_mtim.tv_sec
            && old->second.mtime.tv_nsec == st.st_mtim.tv_nsec) {
            return &(kept[file] = std::move(old->second));
        }
        std::function<void(const QString &)> hook;
        {
            std::lock_guard lock(mutex);
            hook = beforeRead;
        }
        if (hook)
            hook(file);
        const auto bytes = ics::readRegularFile(file);
        if (!bytes)
            return nullptr;
        Cached fresh;
        fresh.device = st.st_dev;
        fresh.inode = st.st_ino;
        fresh.size = st.st_size;
        fresh.mtime = st.st_mtim;
        fresh.parsed = ics::ParsedFile::parse(*bytes);
        fresh.colour = fresh.parsed.colour();
        {
            std::lock_guard lock(mutex);
            ++parses;
        }
        return &(kept[file] = std::move(fresh));
    }
};

IcsCalendarStore::IcsCalendarStore(ics::Roots roots, std::vector<QColor> fallbackColours, QTimeZone zone)
    : loader_(std::make_shared<Loader>()), context_(std::make_unique<QObject>()),
      watcher_(std::make_unique<QFileSystemWatcher>()), zone_(std::move(zone))
{
    loader_->roots = std::move(roots);
    loader_->palette = std::move(fallbackColours);
    window_ = ics::windowAround(appClock().wallNow(), zone_);
    loader_->wanted = window_;
    loader_->requested = 1;
    QObject *context = context_.get();
    loader_->notify = [context, this] {
        QMetaObject::invokeMethod(context, [this] { take(); }, Qt::QueuedConnection);
    };
    QObject::connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, context, [this] { filesChanged(); });
    QObject::connect(watcher_.get(), &QFileSystemWatcher::fileChanged, context, [this] { filesChanged(); });
    loader_->thread = std::thread([loader = loader_.get()] { loader->run(); });
}

IcsCalendarStore::~IcsCalendarStore()
{
    {
        std::lock_guard lock(loader_->mutex);
        loader_->stopping = true;
        loader_->notify = nullptr;
    }
    loader_->wake.notify_all();
    loader_->thread.join();
}

CalendarAccess IcsCalendarStore::authorizationStatus() const { return status_; }

void IcsCalendarStore::requestAccess(std::function<void()> done)
{
    waiting_.push_back(std::move(done));
    request(true);
}

std::vector<StoredEvent> IcsCalendarStore::events(double from, double to) const
{
    const double now = appClock().wallNow();
    const ics::Window around = ics::windowAround(now, zone_);
    if (!(around == window_)) {
        // A new day: expand over the window around it (the answer comes with `changed`).
        window_ = around;
        {
            std::lock_guard lock(loader_->mutex);
            loader_->wanted = around;
        }
        request(false);
    } else if (now >= completeBefore_ && now >= agendaAsked_ + agendaSpacing) {
        // The agenda a budget cut runs out: today's list from now on.
        agendaAsked_ = now;
        {
            std::lock_guard lock(loader_->mutex);
            loader_->agendaFrom = now;
        }
        request(false);
    }
    std::vector<StoredEvent> found;
    if (status_ != CalendarAccess::fullAccess)
        return found;
    for (const auto &event : records_) {
        if (overlaps(event, from, to))
            found.push_back(event);
    }
    return found;
}

void IcsCalendarStore::reload() { request(true); }

void IcsCalendarStore::request(bool rescan) const
{
    {
        std::lock_guard lock(loader_->mutex);
        loader_->rescan = loader_->rescan || rescan;
        ++loader_->requested;
    }
    loader_->wake.notify_all();
}

void IcsCalendarStore::waitUntilLoaded()
{
    // Taking an answer may ask again (a folder watched only now is listed once more).
    for (;;) {
        {
            std::unique_lock lock(loader_->mutex);
            loader_->idle.wait(lock, [&] { return loader_->answered >= loader_->requested; });
        }
        take();
        std::lock_guard lock(loader_->mutex);
        if (loader_->answered >= loader_->requested)
            return;
    }
}

int IcsCalendarStore::parseCount() const
{
    std::lock_guard lock(loader_->mutex);
    return loader_->parses;
}

void IcsCalendarStore::setBeforeRead(std::function<void(const QString &)> hook)
{
    std::lock_guard lock(loader_->mutex);
    loader_->beforeRead = std::move(hook);
}

void IcsCalendarStore::take()
{
    std::vector<Result> results;
    {
        std::lock_guard lock(loader_->mutex);
        results.swap(loader_->inbox);
    }
    if (results.empty())
        return;
    CalendarAccess status = status_;
    bool answered = false;
    for (Result &result : results) {
        status = result.status;
        if (result.sources != sources_) {
            sources_ = result.sources;
            // A calendar that is gone goes at once; one not read yet keeps what it showed.
            const QSet<QString> listed(sources_.begin(), sources_.end());
            for (auto it = bySource_.begin(); it != bySource_.end();)
                it = listed.contains(it->first) ? std::next(it) : bySource_.erase(it);
        }
        if (!result.final) {
            bySource_[result.source] = std::move(result.records);
            continue;
        }
        answered = true;
        completeBefore_ = result.completeBefore;
        watch(result.watched, result.folders);
    }
    std::vector<StoredEvent> records;
    for (const QString &source : sources_) {
        if (auto it = bySource_.find(source); it != bySource_.end())
            records.insert(records.end(), it->second.begin(), it->second.end());
    }
    const bool differs = records != records_ || status != status_;
    records_ = std::move(records);
    status_ = status;
    if (differs)
        changed();
    if (answered) {
        for (auto &done : std::exchange(waiting_, {}))
            mainQueue().post(std::move(done));
    }
}

void IcsCalendarStore::watch(const QStringList &paths, const QStringList &folders)
{
    QSet<QString> wanted;
    for (const QString &path : paths) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) == 0)
            wanted.insert(path);
    }
    QSet<QString> present;
    for (const QString &path : watcher_->files() + watcher_->directories())
        present.insert(path);
    const QStringList gone = (present - wanted).values();
    if (!gone.isEmpty())
        watcher_->removePaths(gone);
    const QStringList added = (wanted - present).values();
    if (added.isEmpty())
        return;
    const QStringList failed = watcher_->addPaths(added);
    // A folder watched only now may have gained files after the loader listed it and before the
    // watch began, which no change will report: list it once more.
    const QSet<QString> isFolder(folders.begin(), folders.end());
    for (const QString &path : added) {
        if (isFolder.contains(path) && !failed.contains(path)) {
            request(true);
            return;
        }
    }
}

void IcsCalendarStore::filesChanged()
{
    const double now = appClock().now();
    if (!settle_.isPending())
        settleSince_ = now;
    const double delay = std::clamp(settleSince_ + settleAtMost - now, 0.0, settleDelay);
    settle_ = mainQueue().after(delay, [this] { request(true); });
}

}  // namespace vesk
