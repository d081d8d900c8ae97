#include "LockScreen/LockSounds.h"

#include "Model/Defaults.h"
#include "Platform/ClipPlayer.h"
#include "Platform/UserDefaults.h"

#include <QtEndian>

#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <random>

namespace vesk {

namespace {

struct State {
    std::map<LockSounds::Sound, QByteArray> clips;
    std::vector<LockSounds::Play> plays;
    LockSounds::Noise noise;
};

State &state()
{
    static State s;
    return s;
}

double defaultNoise()
{
    static std::mt19937_64 generator{std::random_device{}()};
    // Closed at both ends: the upper bound is the next double above 1, which is never drawn.
    static std::uniform_real_distribution<double> uniform(-1.0, std::nextafter(1.0, 2.0));
    return uniform(generator);
}

void append16(QByteArray &out, uint16_t v)
{
    std::array<char, 2> b;
    qToLittleEndian(v, b.data());
    out.append(b.data(), 2);
}

void append32(QByteArray &out, uint32_t v)
{
    std::array<char, 4> b;
    qToLittleEndian(v, b.data());
    out.append(b.data(), 4);
}

}  // namespace

const char *name(LockSounds::Sound sound) { return sound == LockSounds::Sound::lock ? "lock" : "unlock"; }

int16_t LockSounds::sampleValue(double s)
{
    if (s >= 1)
        return 32767;
    return int16_t(std::trunc(std::max(s, -1.0) * 32767));
}

QByteArray LockSounds::wav(const std::vector<double> &frequencies, const Noise &noise)
{
    constexpr double rate = sampleRate;
    const size_t n = frequencies.size();
    if (n == 0)
        return {};
    const auto count = size_t(std::trunc(((double(n) - 1) * 0.075 + 0.06 + 0.02) * 44100));
    std::vector<double> samples(count, 0.0);
    for (size_t i = 0; i < n; ++i) {
        const auto start = size_t(std::trunc(double(i) * 0.075 * 44100));
        const double f = frequencies[i];
        for (size_t j = 0; j < 2646; ++j) {
            const size_t k = start + j;
            if (k >= count)
                break;
            const double t = double(j) / rate;
            const double u = noise();
            samples[k] += 0.6 * (std::sin(2 * std::numbers::pi * f * t) * std::exp(-90 * t)
                                 + std::exp(-900 * t) * u * 0.5);
        }
    }
    const auto dataSize = uint32_t(2 * count);
    QByteArray out;
    out.reserve(int(44 + dataSize));
    out.append("RIFF", 4);
    append32(out, 36 + dataSize);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    append32(out, 16);
    append16(out, 1);  // integer PCM
    append16(out, 1);  // one channel
    append32(out, sampleRate);
    append32(out, sampleRate * 2);
    append16(out, 2);
    append16(out, 16);
    out.append("data", 4);
    append32(out, dataSize);
    for (double s : samples)
        append16(out, uint16_t(sampleValue(s)));
    return out;
}

QByteArray LockSounds::wav(const std::vector<double> &frequencies)
{
    const Noise &noise = state().noise;
    return noise ? wav(frequencies, noise) : wav(frequencies, defaultNoise);
}

std::vector<double> LockSounds::frequencies(Sound sound)
{
    if (sound == Sound::lock)
        return {1650, 1100};
    return {1100, 1650};
}

const QByteArray &LockSounds::clip(Sound sound)
{
    auto &clips = state().clips;
    auto found = clips.find(sound);
    if (found == clips.end())
        found = clips.emplace(sound, wav(frequencies(sound))).first;
    return found->second;
}

std::string LockSounds::customSound(Sound sound)
{
    const auto &key = sound == Sound::lock ? settings::lockSoundPath : settings::unlockSoundPath;
    std::string path = UserDefaults::standard().value(key);
    if (path.empty() || !isReadableSoundFile(path))
        return {};
    return path;
}

void LockSounds::play(Sound sound)
{
    auto &s = state();
    if (std::string file = customSound(sound); !file.empty()) {
        ClipPlayer::shared().playFile(file);
        s.plays.push_back({sound, std::move(file)});
        return;
    }
    ClipPlayer::shared().playClip(name(sound), clip(sound), gain);
    s.plays.push_back({sound, {}});
}

const std::vector<LockSounds::Play> &LockSounds::plays() { return state().plays; }

std::string LockSounds::playedText()
{
    const auto &plays = state().plays;
    if (plays.empty())
        return "none";
    std::string text;
    for (const auto &play : plays) {
        if (!text.empty())
            text += ',';
        text += name(play.sound);
        text += ':';
        if (play.file.empty()) {
            text += "built-in";
        } else {
            const auto slash = play.file.rfind('/');
            text += slash == std::string::npos ? play.file : play.file.substr(slash + 1);
        }
    }
    return text;
}

void LockSounds::setNoise(Noise noise) { state().noise = std::move(noise); }

void LockSounds::reset()
{
    state().clips.clear();
    state().plays.clear();
}

}  // namespace vesk
