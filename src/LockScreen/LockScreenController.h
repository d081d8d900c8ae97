#pragma once

#include "Base/Signal.h"

#include <functional>

namespace vesk {

class NotchViewModel;

// Watches the screen lock for the primary island. The lock-screen card, padlock and sounds are not
// built yet; what exists is the lock state on the model and the callback the application reacts to.
class LockScreenController {
public:
    explicit LockScreenController(NotchViewModel &model);
    LockScreenController(const LockScreenController &) = delete;
    LockScreenController &operator=(const LockScreenController &) = delete;

    // Called after each lock (true) and unlock (false), on the main thread.
    std::function<void(bool locked)> onLockedChange;

private:
    void lockedChanged(bool locked);

    NotchViewModel &model_;
    Connection lockConnection_;
};

}  // namespace vesk
