#include "Platform/Sound.h"

#include "Platform/linux/CanberraSound.h"

namespace vesk {

namespace {
Sound *installed = nullptr;
}

Sound &Sound::shared()
{
    static CanberraSound linuxSound;
    return installed ? *installed : linuxSound;
}

void Sound::setShared(Sound *sound)
{
    installed = sound;
}

}  // namespace vesk
