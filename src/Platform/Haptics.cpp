#include "Platform/Haptics.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/SilentHaptics.h"

namespace vesk {

namespace {
InstalledService<Haptics, SilentHaptics> installed;
}

Haptics &Haptics::shared() { return installed.get(); }

void Haptics::setShared(Haptics *haptics) { installed.install(haptics); }

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
