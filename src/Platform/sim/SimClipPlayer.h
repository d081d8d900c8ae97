#pragma once

#include "Platform/ClipPlayer.h"

#include <vector>

namespace vesk {

// Records what was played. Installs itself as the shared player for its lifetime.
class SimClipPlayer final : public ClipPlayer {
public:
    struct Play {
        std::string stream;  // the clip's stream, empty for a file
        QByteArray wav;
        double gain = 1;
        std::string file;  // the file played, empty for a clip
    };

    SimClipPlayer() { ClipPlayer::setShared(this); }
    ~SimClipPlayer() override { ClipPlayer::setShared(nullptr); }
    SimClipPlayer(const SimClipPlayer &) = delete;
    SimClipPlayer &operator=(const SimClipPlayer &) = delete;

    void playClip(const std::string &stream, const QByteArray &wav, double gain) override
    {
        plays.push_back({stream, wav, gain, {}});
    }
    void playFile(const std::string &path) override { plays.push_back({{}, {}, 1, path}); }

    std::vector<Play> plays;
};

}  // namespace vesk
