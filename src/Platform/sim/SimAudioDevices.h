#pragma once

#include "Platform/AudioDevices.h"
#include "Base/Lifetime.h"

#include <memory>

namespace vesk {

// A sound server that tests and tools drive. The `system*` setters play the part of the rest of the
// system (another program or a key changing the volume, a headset connecting); their notifications
// arrive on a later main-queue turn, only when something changed, as from the real service. Writes
// through the interface follow the real service's rules and are recorded.
struct SimAudioOutput {
    AudioDevice device;
    float volume = 0.5f;
    bool muted = false;
};

class SimAudioDevices final : public ListedAudioDevices<SimAudioOutput> {
public:
    using Output = SimAudioOutput;

    // Counted only: the simulated server answers whether or not it was started.
    void start() override { ++starts; }

    bool isAvailable() const override { return available_; }
    std::optional<bool> isMuted(uint32_t device) const override;
    bool setVolume(uint32_t device, float level) override;
    bool setMuted(uint32_t device, bool muted) override;
    bool setDefaultOutput(uint32_t device) override;

    // Replaces the output list (volumes of outputs that stay are taken from `outputs`); a default
    // that is no longer listed becomes none.
    void systemSetOutputs(std::vector<Output> outputs);
    void systemSetDefault(std::optional<uint32_t> device);
    void systemSetVolume(uint32_t device, float level, bool muted);
    // A server going away empties the service; coming back restores what was set before.
    void systemSetAvailable(bool available);
    // Makes the server refuse writes from now on (they return false and change nothing).
    void refuseWrites(bool refuse) { refuseWrites_ = refuse; }
    // Makes every mute read fail from now on (a device without a readable mute state).
    void failMuteReads(bool fail) { failMuteReads_ = fail; }

    struct Write {
        uint32_t device;
        std::optional<float> volume;
        std::optional<bool> muted;
        bool operator==(const Write &) const = default;
    };
    const std::vector<Write> &writes() const { return writes_; }
    // Every accepted default-output write, in order.
    const std::vector<uint32_t> &defaultWrites() const { return defaultWrites_; }
    // How often start() was called.
    int starts = 0;

private:
    bool reachable() const override { return available_; }

    bool available_ = true;
    bool refuseWrites_ = false;
    bool failMuteReads_ = false;
    std::vector<Write> writes_;
    std::vector<uint32_t> defaultWrites_;
    Lifetime lifetime_;
};

}  // namespace vesk
