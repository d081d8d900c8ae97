#pragma once

#include "Platform/SwipeSource.h"

#include <algorithm>

namespace vesk {

// Touchpads that tests drive. Frames and wakes are delivered at once, as the real source delivers
// them when the event loop reads them; a pad's frames arrive only once it is listened to.
class SimSwipeSource final : public SwipeSource {
public:
    std::vector<uint64_t> devices() override { return devices_; }
    void listen(uint64_t device) override { listens_.push_back(device); }

    void connectDevice(uint64_t device) { devices_.push_back(device); }
    // Sends one frame of fingers on the pad `device`.
    void touch(uint64_t device, const std::vector<TouchContact> &contacts)
    {
        if (std::find(listens_.begin(), listens_.end(), device) != listens_.end())
            frame(contacts);
    }
    void wake() { woke(); }

    // Three fingers put down and moved a tenth of the pad sideways: enough to begin a workspace swipe.
    void swipeSideways(uint64_t device)
    {
        for (float x : {0.4f, 0.5f})
            touch(device, {{TouchContact::Phase::touching, x - 0.05f, 0.5f},
                           {TouchContact::Phase::touching, x, 0.5f},
                           {TouchContact::Phase::touching, x + 0.05f, 0.5f}});
    }
    // Every finger up.
    void liftFingers(uint64_t device) { touch(device, {}); }

    // Every listen() call, in order.
    const std::vector<uint64_t> &listens() const { return listens_; }

private:
    std::vector<uint64_t> devices_;
    std::vector<uint64_t> listens_;
};

}  // namespace vesk
