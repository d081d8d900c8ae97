#pragma once

#include "Base/MainQueue.h"
#include "Base/Signal.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class AudioDevices;

// Follows the volume and mute of the default output of the audio service it is given. It stays
// attached to whichever output is the default and reports every volume or mute change of that
// output through `onChange`. Created idle: no callback, no device, nothing listened to until
// start(). Main thread only.
class VolumeService {
public:
    explicit VolumeService(AudioDevices &devices) : devices_(&devices) {}
    VolumeService(const VolumeService &) = delete;
    VolumeService &operator=(const VolumeService &) = delete;

    // The volume (0...1) and the mute flag, on a later main-queue turn after each volume or mute
    // change of the attached output, its own writes included (the sound server does not echo
    // those, but every island must learn of them). Attaching to another output reports nothing
    // by itself.
    std::function<void(float volume, bool muted)> onChange;

    // Listens for changes of the default output and attaches to the current one. Only the first call
    // does anything.
    void start();

    // The output attached to; 0 when there is none.
    uint32_t device() const { return device_; }
    // The attached output's volume; none when there is no output or it has no readable volume.
    std::optional<float> volume() const;
    // The attached output's mute flag; none when it cannot be read.
    std::optional<bool> isMuted() const;
    // Writes to the attached output; false when the write was refused (no output, no sound server),
    // and then nothing changed and nothing is reported.
    bool setVolume(float level);
    bool setMuted(bool muted);

private:
    void attachToDefaultDevice();
    void reportChange();
    void reportOwnWrite();

    AudioDevices *devices_;
    uint32_t device_ = 0;
    bool started_ = false;
    Connection deviceListener_;
    Connection defaultDeviceListener_;
    // The report of this service's own writes, one for a burst of them.
    WorkItem ownWriteReport_;
};

}  // namespace vesk
