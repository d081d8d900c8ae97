#include "Platform/sim/SimCalendarStore.h"

namespace vesk {

std::vector<StoredEvent> SimCalendarStore::events(double from, double to) const
{
    std::vector<StoredEvent> found;
    for (const auto &event : events_) {
        if (event.start < to && event.end > from)
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
