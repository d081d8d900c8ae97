#pragma once

#include "Platform/SwipeSource.h"

#include <memory>

namespace vesk {

// Touchpad swipes from XInput 2.4 gesture events, on a connection of its own to $DISPLAY. The X
// server reports a swipe of three or more fingers as one gesture (begin, updates with the fingers'
// movement, end) rather than as single touches; each event becomes a frame of that many fingers
// at their common centre. Wakes come from logind's PrepareForSleep on the system bus.
//
// Silent where this is not available: no X display, a server older than XInput 2.4 (no gestures),
// no touchpad, or no system bus (then no wakes).
class XInput2Swipes final : public SwipeSource {
public:
    XInput2Swipes();
    ~XInput2Swipes() override;

    std::vector<uint64_t> devices() override;
    void listen(uint64_t device) override;

private:
    struct X;
    void readEvents();
    std::unique_ptr<X> x_;
};

}  // namespace vesk
