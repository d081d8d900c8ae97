#include "Base/VirtualTime.h"

#include <stdexcept>

namespace vesk {

VirtualTime::VirtualTime(double wallStart)
    : queue_(clock_)
{
    clock_.setWall(wallStart);
    setAppClock(&clock_);
    setMainQueue(&queue_);
}

VirtualTime::~VirtualTime()
{
    setMainQueue(nullptr);
    setAppClock(nullptr);
}

void VirtualTime::advance(double seconds)
{
    const double target = clock_.now() + (seconds > 0 ? seconds : 0);
    // A closure that keeps scheduling itself with no delay would never let time move.
    for (int guard = 0; guard < 10'000'000; ++guard) {
        auto due = queue_.nextDue();
        if (!due || *due > target) {
            clock_.setMonotonic(target);
            return;
        }
        if (*due > clock_.now())
            clock_.setMonotonic(*due);
        if (queue_.runDue() == 0) {
            // Rounding between the two time lines can leave a wall deadline a hair in the future.
            if (auto wall = queue_.nextWallDeadline(); wall && *wall > clock_.wallNow())
                clock_.setWall(*wall);
        }
    }
    throw std::runtime_error("VirtualTime: work keeps rescheduling itself without delay");
}

void VirtualTime::jumpWall(double seconds)
{
    clock_.setWall(clock_.wallNow() + seconds);
    queue_.runDue();
}

}  // namespace vesk
