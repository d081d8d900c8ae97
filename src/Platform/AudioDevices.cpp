#include "Platform/AudioDevices.h"

#include "Platform/linux/PulseAudioOutputs.h"

namespace vesk {

namespace {
AudioDevices *installed = nullptr;
}

AudioDevices &audioDevices()
{
    if (installed)
        return *installed;
    static PulseAudioOutputs real;
    return real;
}

void setAudioDevices(AudioDevices *service) { installed = service; }

}  // namespace vesk
