#pragma once

#include "Platform/CalendarStore.h"
#include "Base/MainQueue.h"
#include "Platform/linux/IcsCalendar.h"

#include <QTimeZone>

#include <memory>

class QFileSystemWatcher;
class QObject;

namespace vesk {

// The user's iCalendar files as a calendar store. One loader thread reads and parses the files
// (only the ones that changed: path, inode, size and modification time) and expands their events
// over the window around now; the main thread keeps the plain records it hands over and filters
// them synchronously. Folders and files are watched: a burst of changes reloads once, half a second
// after the last one. A new month asks the loader again.
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

    // Blocks until the loader has answered every request made so far and takes its answers (tools
    // and tests).
    void waitUntilLoaded();
    // The number of files parsed since the store was made.
    int parseCount() const;

private:
    struct Loader;
    struct Result;
    void take();
    void request(bool rescan) const;
    void watch(const QStringList &paths);
    void filesChanged();

    std::shared_ptr<Loader> loader_;
    std::unique_ptr<QObject> context_;  // main-thread receiver of the loader's answers
    std::unique_ptr<QFileSystemWatcher> watcher_;
    QTimeZone zone_;
    std::vector<StoredEvent> records_;
    CalendarAccess status_ = CalendarAccess::notDetermined;
    mutable ics::Window window_;
    std::vector<std::function<void()>> waiting_;  // answers owed to access requests
    WorkItem settle_;
};

}  // namespace vesk
