// The default audio output's volume and mute, the list of outputs, and the readouts that follow
// their changes.

#include "Model/NotchViewModel.h"

#include "NowPlaying/VolumeService.h"
#include "Platform/AudioDevices.h"
#include "Model/Defaults.h"

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {
constexpr double deviceReadoutDuration = 2.5;

bool listsID(const std::vector<AudioOutput::Device> &devices, uint32_t id)
{
    return std::any_of(devices.begin(), devices.end(), [id](const auto &d) { return d.id == id; });
}
}  // namespace

void NotchViewModel::startAudio()
{
    std::weak_ptr<NotchViewModel> weak = weak_from_this();
    services_.audio->onChange = [weak](float level, bool muted) {
        auto self = weak.lock();
        if (!self)
            return;
        self->volumeChanged(level, muted);
        for (const auto &mirror : self->mirrors())
            mirror->volumeChanged(level, muted);
    };
    services_.audio->start();
    readVolume();
}

void NotchViewModel::volumeChanged(float level, bool muted)
{
    volumeLevel = level;
    isMuted = muted;
    // Every island is called by the application, so none forwards its readout.
    if (!isOpen.peek() && UserDefaults::standard().value(settings::showVolumeHUD))
        show(Peek::volume(level, muted), std::nullopt, false);
}

void NotchViewModel::readVolume()
{
    volumeLevel = services_.audio->volume().value_or(0.0f);
    isMuted = services_.audio->isMuted().value_or(false);
}

void NotchViewModel::setVolume(float level)
{
    if (std::isnan(level))
        return;
    level = std::clamp(level, 0.0f, 1.0f);
    if (!services_.audio->setVolume(level))
        return;
    if ((level == 0.0f || level == 1.0f) && level != volumeLevel.peek())
        haptic(HapticPattern::levelChange);
    if (level > 0 && isMuted.peek())
        services_.audio->setMuted(false);
    volumeLevel = level;
    isMuted = services_.audio->isMuted().value_or(false);
}

void NotchViewModel::refreshOutputs()
{
    // After a change of default output the volume service has moved to the new output by the next
    // turn; read its level then, here and on every mirror.
    volumeReadTask_ = mainQueue().after(0, [this] {
        readVolume();
        for (auto &mirror : mirrors_)
            mirror->readVolume();
    });
    auto devices = AudioOutput::devices(*services_.audioDevices);
    std::optional<uint32_t> current = services_.audioDevices->defaultOutput();
    if (current == 0u)
        current.reset();
    announceDeviceChanges(outputs.peek(), devices);
    outputs = devices;
    currentOutputID = current;
    for (auto &mirror : mirrors_) {
        mirror->outputs = devices;
        mirror->currentOutputID = current;
    }
}

void NotchViewModel::announceDeviceChanges(const std::vector<AudioOutput::Device> &old,
                                           const std::vector<AudioOutput::Device> &current)
{
    // Without a sound server the list is empty for want of a server, not because outputs left:
    // the first list read once one answers is taken as it is, like the one read at launch.
    if (!services_.audioDevices->isAvailable()) {
        hasReadOutputs = false;
        return;
    }
    // The list read at launch is what was there already: nothing connected.
    if (!hasReadOutputs) {
        hasReadOutputs = true;
        return;
    }
    if (!UserDefaults::standard().value(settings::showDeviceActivity))
        return;
    // Wired outputs never announce themselves, and one readout per change: a connection wins.
    for (const auto &device : current) {
        if (device.isWireless && !listsID(old, device.id)) {
            show(Peek::device(device.symbol.toStdString(), true), deviceReadoutDuration);
            return;
        }
    }
    for (const auto &device : old) {
        if (device.isWireless && !listsID(current, device.id)) {
            show(Peek::device(device.symbol.toStdString(), false), deviceReadoutDuration);
            return;
        }
    }
}

}  // namespace vesk
