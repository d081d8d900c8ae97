#include "Platform/Sound.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/CanberraSound.h"

namespace vesk {

namespace {
InstalledService<Sound, CanberraSound> installed;
}

Sound &Sound::shared() { return installed.get(); }

void Sound::setShared(Sound *sound) { installed.install(sound); }

}  // namespace vesk
