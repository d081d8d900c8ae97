#pragma once

#include "Platform/MediaKeyGrab.h"

#include <optional>
#include <set>

namespace vesk {

// A simulated desktop that either leaves the media keys free (every grab succeeds) or holds them
// itself (every grab is refused). As on X11, a key already held is not taken away.
class SimMediaKeyGrab final : public MediaKeyGrab {
public:
    bool grab(int code) override
    {
        if (desktopHoldsKeys)
            return false;
        held_.insert(code);
        return true;
    }
    void release(int code) override { held_.erase(code); }
    bool isHeld(int code) const override { return held_.count(code) > 0; }

    // A key press or release: to the grab's owner when it holds the key (returning whether the
    // event was taken), else to the desktop (none).
    std::optional<bool> press(int code, bool down, uint64_t flags)
    {
        if (!held_.count(code))
            return std::nullopt;
        return onEvent ? onEvent(SystemKeyEvent::key(code, down, flags)) : false;
    }
    bool desktopHoldsKeys = false;

private:
    std::set<int> held_;
};


}  // namespace vesk
