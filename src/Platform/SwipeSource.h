#pragma once

#include "Base/Signal.h"

#include <cstdint>
#include <vector>

namespace vesk {

// One finger on a touchpad in one frame.
struct TouchContact {
    enum class Phase { hovering, starting, touching, lifting };
    Phase phase = Phase::touching;
    float x = 0;  // across the pad, 0 (left) to 1 (right)
    float y = 0;  // 0 (top) to 1 (bottom)
    bool operator==(const TouchContact &) const = default;
};

// The touchpads' multi-finger touches, for telling when a workspace swipe begins and ends. Main
// thread only. Where the system offers no such touches (no touchpad, no gesture support) it lists
// no devices and reports nothing.
class SwipeSource {
public:
    virtual ~SwipeSource() = default;

    // Identifiers of the touchpads present now.
    virtual std::vector<uint64_t> devices() = 0;
    // Starts delivering the device's frames through `frame`. Listening to a device twice delivers
    // its frames once.
    virtual void listen(uint64_t device) = 0;

    // The fingers of one frame, on the main thread; an empty frame means every finger is up.
    Signal<const std::vector<TouchContact> &> frame;
    // The machine woke from sleep: devices may have to be listened to again.
    Signal<> woke;
};

// The installed source: XInput2 touchpad gestures unless a test or tool installed another.
SwipeSource &swipeSource();
void setSwipeSource(SwipeSource *source);  // nullptr restores the real one

}  // namespace vesk
