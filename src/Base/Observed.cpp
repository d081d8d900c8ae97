#include "Base/Observed.h"

#include <algorithm>
#include <memory>

namespace vesk {

namespace {
// The reads of the innermost tracking scope on this thread; nested scopes each see their own.
thread_local std::vector<const Observable *> *currentReads = nullptr;
}  // namespace

void Observable::noteRead() const
{
    if (currentReads && std::find(currentReads->begin(), currentReads->end(), this) == currentReads->end())
        currentReads->push_back(this);
}

ObservationTracking trackObservation(const std::function<void()> &apply, std::function<void()> onChange)
{
    std::vector<const Observable *> reads;
    auto *outer = std::exchange(currentReads, &reads);
    apply();
    currentReads = outer;

    ObservationTracking tracking;
    // One shot: the first change disarms every subscription of this tracking.
    auto fired = std::make_shared<bool>(false);
    auto callback = std::make_shared<std::function<void()>>(std::move(onChange));
    for (auto *observable : reads) {
        tracking.connections_.push_back(observable->observe([fired, callback] {
            if (*fired)
                return;
            *fired = true;
            (*callback)();
        }));
    }
    return tracking;
}

}  // namespace vesk
