#include "Platform/linux/IcsCalendarStore.h"

#include "Base/Clock.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QMetaObject>
#include <QObject>
#include <QSet>

#include <sys/stat.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace vesk {

namespace {
constexpr double settleDelay = 0.5;  // a sync writes many files: reload once they are quiet
}

struct IcsCalendarStore::Result {
    uint64_t generation = 0;
    std::vector<StoredEvent> records;
    CalendarAccess status = CalendarAccess::notDetermined;
    QStringList watched;
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
    uint64_t requested = 0;             // generations: asked, answered
    uint64_t answered = 0;
    std::vector<Result> inbox;
    std::function<void()> notify;  // wakes the main thread (set once, before the thread starts)
    int parses = 0;

    // Loader-thread state.
    struct Cached {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec mtime{};
        ics::ParsedFile parsed;
        std::optional<QColor> colour;
    };
    std::map<QString, Cached> cache;
    std::vector<ics::Source> sources;
    std::map<QString, std::optional<QColor>> folderColours;
    ics::Window window;

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
            lock.unlock();
            Result result = load(generation, again, next);
            lock.lock();
            answered = std::max(answered, generation);
            inbox.push_back(std::move(result));
            idle.notify_all();
            if (notify)
                notify();
        }
    }

    Result load(uint64_t generation, bool again, const std::optional<ics::Window> &next)
    {
        if (next)
            window = *next;
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
        result.status = sources.empty() ? CalendarAccess::notDetermined : CalendarAccess::fullAccess;
        result.watched = roots.all();
        std::map<QString, Cached> kept;
        for (const auto &source : sources) {
            result.watched << source.path;
            std::vector<std::pair<const Cached *, QString>> files;
            for (const QString &file : source.files) {
                if (source.isFolder)
                    result.watched << file;
                if (const Cached *cached = refreshed(file, again, kept))
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
            for (const auto &[cached, file] : files)
                cached->parsed.expand(window, colour, result.records);
        }
        cache = std::move(kept);
        return result;
    }

    // The file's parse, re-read only when it changed on disk; nullptr when it cannot be read.
    const Cached *refreshed(const QString &file, bool again, std::map<QString, Cached> &kept)
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
        (void)again;
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
    // A new month: expand over the window around it (the answer comes with `changed`).
    const ics::Window around = ics::windowAround(appClock().wallNow(), zone_);
    if (!(around == window_)) {
        window_ = around;
        {
            std::lock_guard lock(loader_->mutex);
            loader_->wanted = around;
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
    {
        std::unique_lock lock(loader_->mutex);
        loader_->idle.wait(lock, [&] { return loader_->answered >= loader_->requested; });
    }
    take();
}

int IcsCalendarStore::parseCount() const
{
    std::lock_guard lock(loader_->mutex);
    return loader_->parses;
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
    Result &latest = results.back();
    watch(latest.watched);
    const bool differs = latest.records != records_ || latest.status != status_;
    records_ = std::move(latest.records);
    status_ = latest.status;
    if (differs)
        changed();
    for (auto &done : std::exchange(waiting_, {}))
        mainQueue().post(std::move(done));
}

void IcsCalendarStore::watch(const QStringList &paths)
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
    if (!added.isEmpty())
        watcher_->addPaths(added);
}

void IcsCalendarStore::filesChanged()
{
    settle_ = mainQueue().after(settleDelay, [this] { request(true); });
}

}  // namespace vesk
