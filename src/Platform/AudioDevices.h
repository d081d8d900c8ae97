#pragma once

#include "Base/Signal.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vesk {

// How an output reaches the listener.
enum class AudioTransport { builtin, bluetooth, usb, hdmi, network, other };

// The transport's name in scripts and logs: "builtin", "bluetooth", "usb", "hdmi", "network", "other".
QString transportName(AudioTransport transport);
std::optional<AudioTransport> transportNamed(const QString &name);

// An audio output device.
struct AudioDevice {
    // The identity in lists: the sound server's index of the output plus one, so that 0 never
    // names a device and can stand for "none" (the server's first output has index 0).
    uint32_t id = 0;
    QString name;     // its description, for people
    AudioTransport transport = AudioTransport::other;

    // Bluetooth and network outputs: the ones that come and go without a cable.
    bool isWireless() const { return transport == AudioTransport::bluetooth || transport == AudioTransport::network; }
    bool operator==(const AudioDevice &) const = default;
};

// The sound server's outputs, the default output and the volume and mute of each. Main thread only.
//
// Reads are synchronous and cheap: they answer from the state the service last heard from the
// server. With no server (none running, none reachable, or the connection lost) the service is
// empty: no outputs, no default, no volume, nothing reported; it keeps trying to connect in the
// background and never blocks the caller.
//
// Writes return whether they were accepted: false when no connection is ready or the device is
// not a current output, and then nothing changes. An accepted write shows in the reads at once;
// should the server still refuse it, the next report from the server restores the server's value
// and announces it through `volumeChanged`.
//
// Notifications arrive on the main thread, on a later event-loop turn than the change, and only
// when what the service reports differs from what it reported before: a write the caller made
// itself is not echoed back.
class AudioDevices {
public:
    virtual ~AudioDevices() = default;

    // Starts following the sound server, once; until then the reads find no server. The real
    // service loads its library and connects only now, so that what runs before it (the island's
    // first appearance at launch) does not wait for either.
    virtual void start() {}

    // Whether a connection to the server is ready.
    virtual bool isAvailable() const = 0;
    // The outputs, in the server's order.
    virtual std::vector<AudioDevice> outputs() const = 0;
    // The output that new sound goes to; none when there is no server or no output.
    virtual std::optional<uint32_t> defaultOutput() const = 0;
    // The loudest channel of `device` relative to the server's normal (100 %) volume, 0...1 (above
    // 100 % reads 1); none when the device is unknown.
    virtual std::optional<float> volume(uint32_t device) const = 0;
    virtual std::optional<bool> isMuted(uint32_t device) const = 0;

    // Sets the loudest channel to `level` (clamped to 0...1) and scales the others with it, so the
    // balance between channels is kept.
    virtual bool setVolume(uint32_t device, float level) = 0;
    virtual bool setMuted(uint32_t device, bool muted) = 0;
    // Makes `device` the default output (streams that follow the default move with it). Unlike
    // the other writes, the reads do not change at once: the new default shows, and is announced
    // once through `defaultOutputChanged`, when the server reports it, on a later turn, as a
    // change made elsewhere would be. Naming the current default again announces nothing.
    virtual bool setDefaultOutput(uint32_t device) = 0;

    Signal<> outputsChanged;        // an output appeared, left, or changed its name or transport
    Signal<> defaultOutputChanged;  // another output (or none) became the default
    Signal<uint32_t> volumeChanged; // the volume or mute of an output that was already listed changed

    // Lets a holder tell whether this service still exists (e.g. to install something once per service).
    std::weak_ptr<const void> lifetime() const { return lifetime_; }

private:
    std::shared_ptr<const void> lifetime_ = std::make_shared<int>(0);
};

// The reads of a service that keeps its outputs as a list of records, each with `device`, `volume`
// and `muted`: the real service's and the simulated one's lists answer alike.
template <typename Record>
class ListedAudioDevices : public AudioDevices {
public:
    std::vector<AudioDevice> outputs() const override
    {
        std::vector<AudioDevice> list;
        if (!reachable())
            return list;
        list.reserve(records_.size());
        for (auto &r : records_)
            list.push_back(r.device);
        return list;
    }
    std::optional<uint32_t> defaultOutput() const override { return reachable() ? default_ : std::nullopt; }
    std::optional<float> volume(uint32_t device) const override
    {
        const Record *r = find(device);
        return r ? std::optional<float>(r->volume) : std::nullopt;
    }
    std::optional<bool> isMuted(uint32_t device) const override
    {
        const Record *r = find(device);
        return r ? std::optional<bool>(r->muted) : std::nullopt;
    }

protected:
    // Whether the list is what the reads answer from; while false the service reads as empty.
    virtual bool reachable() const { return true; }
    // The listed output with this identity; none when unknown or while unreachable.
    const Record *find(uint32_t device) const
    {
        if (!reachable())
            return nullptr;
        for (auto &r : records_) {
            if (r.device.id == device)
                return &r;
        }
        return nullptr;
    }
    Record *find(uint32_t device) { return const_cast<Record *>(std::as_const(*this).find(device)); }

    std::vector<Record> records_;
    std::optional<uint32_t> default_;
};

// The installed service: the PulseAudio one (which also serves PipeWire's pulse server) unless a
// test or tool installed another. The real one is created on first use and connects in the background.
AudioDevices &audioDevices();
void setAudioDevices(AudioDevices *service);  // nullptr restores the real one

}  // namespace vesk
