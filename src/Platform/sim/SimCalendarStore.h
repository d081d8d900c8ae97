#pragma once

#include "Platform/CalendarStore.h"

namespace vesk {

// An in-memory calendar, access granted unless a test says otherwise. Installs itself as the shared
// store for its lifetime; every edit posts `changed`, as a real store does after a sync.
class SimCalendarStore final : public CalendarStore {
public:
    SimCalendarStore() { CalendarStore::setShared(this); }
    ~SimCalendarStore() override { CalendarStore::setShared(nullptr); }

    CalendarAccess authorizationStatus() const override { return status_; }
    // A request grants access when nothing was decided yet and leaves every other status as it is;
    // the answer comes on the main queue.
    void requestAccess(std::function<void()> done) override;
    std::vector<StoredEvent> events(double from, double to) const override;
    // Holds nothing to read again; counts the requests.
    void reload() override { ++reloads_; }

    // A new status; requests grant again (see setGrantsRequests).
    void setStatus(CalendarAccess status)
    {
        status_ = status;
        grantsRequests_ = true;
    }
    // With false, a request while nothing is decided finds nothing and leaves it undecided.
    void setGrantsRequests(bool grants) { grantsRequests_ = grants; }
    int requestCount() const { return requests_; }
    int reloadCount() const { return reloads_; }
    void add(StoredEvent event);
    void clear();

private:
    std::vector<StoredEvent> events_;
    CalendarAccess status_ = CalendarAccess::fullAccess;
    int requests_ = 0;
    int reloads_ = 0;
    bool grantsRequests_ = true;
};

}  // namespace vesk
