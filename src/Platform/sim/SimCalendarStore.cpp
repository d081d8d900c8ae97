#include "Platform/sim/SimCalendarStore.h"

#include "Base/MainQueue.h"

namespace vesk {

void SimCalendarStore::requestAccess(std::function<void()> done)
{
    ++requests_;
    if (status_ == CalendarAccess::notDetermined && grantsRequests_)
        status_ = CalendarAccess::fullAccess;
    mainQueue().post(std::move(done));
}

std::vector<StoredEvent> SimCalendarStore::events(double from, double to) const
{
    if (status_ != CalendarAccess::fullAccess)
        return {};
    std::vector<StoredEvent> found;
    for (const auto &event : events_) {
        if (overlaps(event, from, to))
            found.push_back(event);
    }
    return found;
}

void SimCalendarStore::add(StoredEvent event)
{
    events_.push_back(std::move(event));
    changed();
}

void SimCalendarStore::clear()
{
    events_.clear();
    changed();
}

}  // namespace vesk
