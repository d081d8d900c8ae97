#include "Platform/Haptics.h"

#include "Platform/linux/SilentHaptics.h"

namespace vesk {

namespace {
Haptics *installed = nullptr;
}

Haptics &Haptics::shared()
{
    static SilentHaptics linuxHaptics;
    return installed ? *installed : linuxHaptics;
}

void Haptics::setShared(Haptics *haptics)
{
    installed = haptics;
}

const char *hapticPatternName(HapticPattern pattern)
{
    switch (pattern) {
    case HapticPattern::generic:
        return "generic";
    case HapticPattern::alignment:
        return "alignment";
    case HapticPattern::levelChange:
        return "levelChange";
    }
    return "generic";
}

}  // namespace vesk
