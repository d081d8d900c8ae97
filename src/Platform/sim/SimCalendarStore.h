#pragma once

#include "Platform/CalendarStore.h"

namespace vesk {

// An in-memory calendar with access granted. Installs itself as the shared store for its lifetime;
// every edit posts `changed`, as a real store does after a sync.
class SimCalendarStore final : public CalendarStore {
public:
    SimCalendarStore() { CalendarStore::setShared(this); }
    ~SimCalendarStore() override { CalendarStore::setShared(nullptr); }

    bool hasAccess() const override { return true; }
    std::vector<StoredEvent> events(double from, double to) const override;

    void add(StoredEvent event);
    void clear();

private:
    std::vector<StoredEvent> events_;
};

}  // namespace vesk
