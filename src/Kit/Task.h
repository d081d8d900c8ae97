#pragma once

#include "Base/MainQueue.h"

#include <functional>
#include <vector>

namespace kit {

// Work a view runs while it is shown (Element::task). It waits on the application clock through
// sleep(); when the task is cancelled (its key changed, or the view went away) nothing it still
// waits for runs. Main thread only.
class Task {
public:
    Task() = default;
    Task(const Task &) = delete;
    Task &operator=(const Task &) = delete;
    ~Task() { cancel(); }

    // Runs `then` after `seconds` unless the task is cancelled first.
    void sleep(double seconds, std::function<void()> then);
    void cancel();
    bool isCancelled() const { return cancelled_; }

private:
    std::vector<vesk::WorkItem> waits_;
    bool cancelled_ = false;
};

}  // namespace kit
