#pragma once

#include "Base/Signal.h"

namespace vesk {

// Whether the user's session is locked, and a signal on each lock and unlock (main thread).
// Without a screen saver on the session bus the service reports "unlocked" and never changes.
class ScreenLock {
public:
    virtual ~ScreenLock() = default;
    virtual bool isLocked() const = 0;
    Signal<bool> lockedChanged;
};

ScreenLock &screenLock();
void setScreenLock(ScreenLock *service);  // nullptr restores the real one

}  // namespace vesk
