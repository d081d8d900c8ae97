#pragma once

#include "Platform/AudioDevices.h"
#include "Base/MainQueue.h"

#include <QObject>

#include <memory>
#include <string>

namespace vesk {

// Outputs, default output, volume and mute from a PulseAudio server (or PipeWire's pulse server),
// through libpulse's threaded main loop. The loop's thread talks to the server; whenever the server
// reports a change of an output or of the server's defaults, the thread reads the whole output list
// again and hands the result to the main thread, which compares it with what it reported before.
//
// start() loads libpulse and connects; until then, and without libpulse, the service reads as
// empty. Connecting happens on the loop's thread and never blocks the caller.
// When there is no server, or the connection is lost, the service empties itself (reporting that
// once as a change) and tries again after 1 s, then at doubling intervals up to a minute.
struct PulseAudioSink {
    AudioDevice device;
    std::string serverName;          // the sink's name, which the server's default refers to
    std::vector<uint32_t> channels;  // per-channel volume in the server's units
    float volume = 0;
    bool muted = false;
};

class PulseAudioOutputs final : public ListedAudioDevices<PulseAudioSink> {
public:
    PulseAudioOutputs();
    ~PulseAudioOutputs() override;

    void start() override;
    bool isAvailable() const override { return ready_; }
    bool setVolume(uint32_t device, float level) override;
    bool setMuted(uint32_t device, bool muted) override;
    bool setDefaultOutput(uint32_t device) override;

    using Sink = PulseAudioSink;
    struct Snapshot {
        uint64_t generation = 0;  // which connection it came from
        uint64_t writeSerial = 0; // writes sent before the read began
        bool ready = false;
        std::vector<Sink> sinks;
        std::string defaultName;
    };

    // The wait before the next attempt to reach a lost server: doubling from 1 s up to 5 s, so
    // that the volume follows again within a few seconds of the server's return however long it
    // was away.
    static double nextRetryDelay(double current) { return current * 2 < kMaxRetryDelay ? current * 2 : kMaxRetryDelay; }
    static constexpr double kMaxRetryDelay = 5.0;

private:
    struct Loop;
    void apply(Snapshot snapshot);
    void connectionLost(uint64_t generation);
    void reconnect();

    std::unique_ptr<QObject> context_;  // main-thread receiver of the loop's reports
    std::unique_ptr<Loop> loop_;
    bool ready_ = false;
    uint64_t writeSerial_ = 0;
    double retryDelay_ = 1;
    WorkItem retry_;
    bool started_ = false;
};

}  // namespace vesk
