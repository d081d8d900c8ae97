#include "Kit/Task.h"

namespace kit {

void Task::sleep(double seconds, std::function<void()> then)
{
    if (cancelled_)
        return;
    // Finished waits are dropped as new ones start, so a long-running task does not grow.
    std::erase_if(waits_, [](const vesk::WorkItem &w) { return !w.isPending(); });
    waits_.push_back(vesk::mainQueue().after(seconds, [this, then = std::move(then)] {
        if (!cancelled_)
            then();
    }));
}

void Task::cancel()
{
    cancelled_ = true;
    waits_.clear();  // each WorkItem cancels its closure as it goes
}

}  // namespace kit
