#include "Platform/CalendarStore.h"

#include "Platform/InstalledService.h"
#include "Base/MainQueue.h"

namespace vesk {

namespace {

class NoCalendars final : public CalendarStore {
public:
    CalendarAccess authorizationStatus() const override { return CalendarAccess::notDetermined; }
    void requestAccess(std::function<void()> done) override { mainQueue().post(std::move(done)); }
    std::vector<StoredEvent> events(double, double) const override { return {}; }
};

InstalledService<CalendarStore, NoCalendars> installed;

}  // namespace

CalendarStore &CalendarStore::shared() { return installed.get(); }

void CalendarStore::setShared(CalendarStore *store) { installed.install(store); }

bool CalendarStore::isInstalled() { return installed.isInstalled(); }

}  // namespace vesk
