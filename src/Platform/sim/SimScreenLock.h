#pragma once

#include "Base/Lifetime.h"
#include "Platform/ScreenLock.h"

namespace vesk {

// A screen lock that tests drive; the change arrives on a later main-queue turn, as a bus signal would.
class SimScreenLock final : public ScreenLock {
public:
    bool isLocked() const override { return locked_; }
    void setLocked(bool locked)
    {
        if (locked == locked_)
            return;
        locked_ = locked;
        lifetime_.post([this, locked] { lockedChanged(locked); });
    }

private:
    bool locked_ = false;
    Lifetime lifetime_;  // a change still on its way is dropped when the lock goes away
};

}  // namespace vesk
