#include "Platform/CalendarStore.h"

#include "Platform/InstalledService.h"

namespace vesk {

namespace {

class NoCalendars final : public CalendarStore {
public:
    bool hasAccess() const override { return false; }
    std::vector<StoredEvent> events(double, double) const override { return {}; }
};

InstalledService<CalendarStore, NoCalendars> installed;

}  // namespace

CalendarStore &CalendarStore::shared() { return installed.get(); }

void CalendarStore::setShared(CalendarStore *store) { installed.install(store); }

}  // namespace vesk
