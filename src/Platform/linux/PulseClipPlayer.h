#pragma once

#include "Platform/ClipPlayer.h"

#include <memory>

namespace vesk {

// Plays clips and sound files on a PulseAudio server (or PipeWire's pulse server) through a
// threaded main loop of its own, started at the first play. Each clip stream is kept and corked
// between plays, so it never keeps the sound card awake; a stream or a connection that died (the
// server went away) is made again at the next play. Without a server nothing is heard.
class PulseClipPlayer final : public ClipPlayer {
public:
    PulseClipPlayer();
    ~PulseClipPlayer() override;

    void playClip(const std::string &stream, const QByteArray &wav, double gain) override;
    void playFile(const std::string &path) override;

private:
    struct Loop;
    std::unique_ptr<Loop> loop_;
};

}  // namespace vesk
