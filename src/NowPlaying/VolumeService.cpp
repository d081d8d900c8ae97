#include "NowPlaying/VolumeService.h"

#include "Platform/AudioDevices.h"

namespace vesk {

void VolumeService::start()
{
    if (started_)
        return;
    started_ = true;
    devices_->start();
    defaultDeviceListener_ = devices_->defaultOutputChanged.connect([this] { attachToDefaultDevice(); });
    attachToDefaultDevice();
}

void VolumeService::attachToDefaultDevice()
{
    // The previous output stops reporting before another one is listened to.
    deviceListener_.reset();
    ownWriteReport_.cancel();
    AudioDevices &service = *devices_;
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
    return devices_->volume(device_);
}

std::optional<bool> VolumeService::isMuted() const
{
    if (device_ == 0)
        return std::nullopt;
    return devices_->isMuted(device_);
}

bool VolumeService::setVolume(float level)
{
    if (device_ == 0 || !devices_->setVolume(device_, level))
        return false;
    reportOwnWrite();
    return true;
}

bool VolumeService::setMuted(bool muted)
{
    if (device_ == 0 || !devices_->setMuted(device_, muted))
        return false;
    reportOwnWrite();
    return true;
}

void VolumeService::reportOwnWrite()
{
    if (!ownWriteReport_.isPending())
        ownWriteReport_ = mainQueue().after(0, [this] { reportChange(); });
}

}  // namespace vesk
