#pragma once

#include <memory>

namespace vesk {

enum class HapticPattern { generic, alignment, levelChange };

// Haptic feedback on a trackpad that can give it. Performed at once; a machine without such a
// device does nothing. `performer` identifies the island that gives the feedback: the simulated
// twin records it so tests can tell islands apart, a real device has no use for it.
class Haptics {
public:
    virtual ~Haptics() = default;
    virtual void perform(HapticPattern pattern, const void *performer) = 0;

    // The installed service: the Linux one unless a test or tool installed another.
    static Haptics &shared();
    static void setShared(Haptics *haptics);  // nullptr restores the Linux one
};

const char *hapticPatternName(HapticPattern pattern);

}  // namespace vesk
