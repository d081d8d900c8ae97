#pragma once

#include "Platform/CalendarStore.h"
#include "Base/MainQueue.h"
#include "Platform/linux/IcsCalendar.h"

#include <QTimeZone>

#include <limits>
#include <map>
#include <memory>

class QFileSystemWatcher;
class QObject;

namespace vesk {

// The user's iCalendar files as a calendar store. One loader thread reads and parses the files
// (only the ones that changed: path, inode, size and modification time) and keeps of their events
// what the pages need over the window around now (today's agenda and each day's first occurrence,
// within budgets per file and per load); the main thread keeps the plain records it hands over,
// calendar by calendar as each is read, and filters them synchronously. Folders and files are
// watched (linked ones where they lead): a burst of changes reloads once, half a second after the
// last one (two seconds after the first at the latest), and every `reload()` looks again. A new day
// asks the loader again, and so does the time passing the end of an agenda a budget cut.
class IcsCalendarStore final : public CalendarStore {
public:
    // `fallbackColours`: the colours of calendars that name none, picked by a hash of their path.
    IcsCalendarStore(ics::Roots roots, std::vector<QColor> fallbackColours,
                     QTimeZone zone = QTimeZone::systemTimeZone());
    ~IcsCalendarStore() override;

    // A calendar that could be read was found: full access; otherwise not determined.
    CalendarAccess authorizationStatus() const override;
    // Looks again; `done` runs on the main queue after that look.
    void requestAccess(std::function<void()> done) override;
    // Before the first load this answers nothing; the load's `changed` brings the first events.
    std::vector<StoredEvent> events(double from, double to) const override;
    // Lists the folders again and reads what changed.
    void reload() override;

    // Blocks until the loader has answered every request made so far and takes its answers (tools
    // and tests).
    void waitUntilLoaded();
    // The number of files parsed since the store was made.
    int parseCount() const;
    // Runs on the loader thread before each file is read (tests hold the loader there).
    void setBeforeRead(std::function<void(const QString &file)> hook);

private:
    struct Loader;
    struct Result;
    void take();
    void request(bool rescan) const;
    void watch(const QStringList &paths, const QStringList &folders);
    void filesChanged();

    std::shared_ptr<Loader> loader_;
    std::unique_ptr<QObject> context_;  // main-thread receiver of the loader's answers
    std::unique_ptr<QFileSystemWatcher> watcher_;
    QTimeZone zone_;
    std::vector<StoredEvent> records_;
    QStringList sources_;  // the calendars in store order, as the latest load listed them
    std::map<QString, std::vector<StoredEvent>> bySource_;
    CalendarAccess status_ = CalendarAccess::notDetermined;
    mutable ics::Window window_;
    // Today's agenda is complete for starts before this; past it the loader is asked again, from
    // then on, no sooner than a minute after it was last asked so.
    double completeBefore_ = std::numeric_limits<double>::infinity();
    mutable double agendaAsked_ = -std::numeric_limits<double>::infinity();
    std::vector<std::function<void()>> waiting_;  // answers owed to access requests
    WorkItem settle_;
    double settleSince_ = 0;  // when the changes the settle waits for began
};

}  // namespace vesk
