#pragma once

#include <QByteArray>

#include <functional>
#include <string>
#include <vector>

namespace vesk {

// The sounds of locking and unlocking: the user's own file for the event when "lockSoundPath" or
// "unlockSoundPath" names a readable one, else a clip synthesised in memory, two short tonal clicks
// with a burst of noise, falling in pitch for the lock and rising for the unlock. Process-wide
// state, main thread only.
class LockSounds {
public:
    enum class Sound { lock, unlock };

    LockSounds() = delete;

    static void play(Sound sound);

    // The WAV bytes of one click per frequency (hertz), in order: 44.1 kHz, mono, 16-bit PCM.
    // `noise` draws values uniform over [-1, 1], a fresh one for every sample of a click.
    using Noise = std::function<double()>;
    static QByteArray wav(const std::vector<double> &frequencies, const Noise &noise);
    static QByteArray wav(const std::vector<double> &frequencies);  // the process's noise source
    // One 16-bit sample from a computed one: 1 and above give 32767, the rest max(s, -1) * 32767
    // truncated towards zero.
    static int16_t sampleValue(double s);

    // The event's synthesised clip, built on first use and kept for the life of the process (so
    // its noise is the same on every play).
    static const QByteArray &clip(Sound sound);
    static std::vector<double> frequencies(Sound sound);

    // Every play so far, in order: the sound and the user's file it played (empty: the clip).
    struct Play {
        Sound sound;
        std::string file;
    };
    static const std::vector<Play> &plays();
    // "lock:built-in,unlock:tone.wav" (a file by its name), or "none".
    static std::string playedText();

    // The noise source of the clips built from now on; an empty one restores the default, a
    // generator seeded from std::random_device.
    static void setNoise(Noise noise);
    // Forgets the built clips and the plays (tests and tools that start over).
    static void reset();

    static constexpr double gain = 0.55;
    static constexpr int sampleRate = 44100;

private:
    // The user's file for the event, or empty.
    static std::string customSound(Sound sound);
};

const char *name(LockSounds::Sound sound);

}  // namespace vesk
