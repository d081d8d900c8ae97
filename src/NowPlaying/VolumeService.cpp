#include "NowPlaying/VolumeService.h"

#include "Platform/AudioDevices.h"

namespace vesk {

void VolumeService::start()
{
    if (started_)
        return;
    started_ = true;
    defaultDeviceListener_ = audioDevices().defaultOutputChanged.connect([this] { attachToDefaultDevice(); });
    attachToDefaultDevice();
}

void VolumeService::attachToDefaultDevice()
{
    // The previous output stops reporting before another one is listened to.
    deviceListener_.reset();
    AudioDevices &service = audioDevices();
    device_ = service.defaultOutput().value_or(0);
    if (device_ == 0)
        return;
    const uint32_t attached = device_;
    deviceListener_ = service.volumeChanged.connect([this, attached](uint32_t changed) {
        if (changed == attached)
            reportChange();
    });
}

void VolumeService::reportChange()
{
    const auto level = volume();
    if (!level || !onChange)
        return;
    onChange(*level, isMuted().value_or(false));
}

std::optional<float> VolumeService::volume() const
{
    if (device_ == 0)
        return std::nullopt;
    return audioDevices().volume(device_);
}

std::optional<bool> VolumeService::isMuted() const
{
    if (device_ == 0)
        return std::nullopt;
    return audioDevices().isMuted(device_);
}

bool VolumeService::setVolume(float level)
{
    return device_ != 0 && audioDevices().setVolume(device_, level);
}

bool VolumeService::setMuted(bool muted)
{
    return device_ != 0 && audioDevices().setMuted(device_, muted);
}

}  // namespace vesk
