#include "Platform/CalendarStore.h"

namespace vesk {

namespace {

class NoCalendars final : public CalendarStore {
public:
    bool hasAccess() const override { return false; }
    std::vector<StoredEvent> events(double, double) const override { return {}; }
};

CalendarStore *installed = nullptr;

}  // namespace

CalendarStore &CalendarStore::shared()
{
    static NoCalendars none;
    return installed ? *installed : none;
}

void CalendarStore::setShared(CalendarStore *store)
{
    installed = store;
}

}  // namespace vesk
