#include "LockScreen/LockScreenController.h"

#include "Model/NotchViewModel.h"
#include "Platform/ScreenLock.h"

namespace vesk {

LockScreenController::LockScreenController(NotchViewModel &model) : model_(model)
{
    lockConnection_ = screenLock().lockedChanged.connect([this](bool locked) { lockedChanged(locked); });
}

void LockScreenController::lockedChanged(bool locked)
{
    model_.isScreenLocked = locked;
    if (onLockedChange)
        onLockedChange(locked);
}

}  // namespace vesk
