#pragma once

#include <QByteArray>

#include <string>

namespace vesk {

// Plays short sounds on the sound server: in-memory clips, each on a stream of its own that is
// kept (a second play of the same stream cuts the first off and starts again, never overlapping),
// and sound files, one at a time on a stream of their own (a new file stops the previous one, not a
// clip). Without a sound server nothing is heard and nothing is reported. Main thread only.
class ClipPlayer {
public:
    virtual ~ClipPlayer() = default;

    // `wav` is a mono or stereo 16-bit PCM WAV clip; `gain` a linear factor (1 = as recorded).
    virtual void playClip(const std::string &stream, const QByteArray &wav, double gain) = 0;
    // `path` names a file that isReadableSoundFile() accepted; it is decoded while it plays.
    virtual void playFile(const std::string &path) = 0;

    // The installed service: the sound server's unless a test or tool installed another.
    static ClipPlayer &shared();
    static void setShared(ClipPlayer *player);  // nullptr restores the sound server's
};

// Whether `path` is an absolute path to a regular file that decodes as a sound the player can
// stream (1 to 8 channels at a sample rate the server takes). Never blocks: a FIFO or device is
// refused before it is opened, and the file is opened without waiting.
bool isReadableSoundFile(const std::string &path);

}  // namespace vesk
