// The synthesised lock clips, byte by byte and by their sound, and which sound a play chooses.
#include "LockScreen/LockSounds.h"

#include "Model/Defaults.h"
#include "Platform/ClipPlayer.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimClipPlayer.h"

#include "SoundFileSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <numbers>
#include <numeric>
#include <random>
#include <sys/stat.h>

using namespace vesk;

namespace {

using Sound = LockSounds::Sound;

uint32_t u32At(const QByteArray &b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
uint16_t u16At(const QByteArray &b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }
int16_t sampleAt(const QByteArray &wav, int index) { return qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * index); }

// Power of `frequency` in samples [from, from + count) (Goertzel).
double power(const QByteArray &wav, int from, int count, double frequency)
{
    const double w = 2 * std::numbers::pi * frequency / 44100;
    const double k = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (int i = 0; i < count; ++i) {
        const double s = sampleAt(wav, from + i) + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

class LockSoundsTest : public ::testing::Test {
protected:
    LockSoundsTest()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        LockSounds::reset();
    }
    ~LockSoundsTest() override
    {
        LockSounds::setNoise(nullptr);
        LockSounds::reset();
    }
    std::string file(const char *name) const { return (dir.path() + "/" + name).toStdString(); }

    SimClipPlayer player;
    QTemporaryDir dir;
};

}  // namespace

TEST_F(LockSoundsTest, TwoClicksMakeA13714ByteCanonicalWav)
{
    std::mt19937_64 seeded(7);
    std::uniform_real_distribution<double> uniform(-1, 1);
    const QByteArray wav = LockSounds::wav({1650, 1100}, [&] { return uniform(seeded); });
    ASSERT_EQ(wav.size(), 13714);
    EXPECT_EQ(wav.left(4), "RIFF");
    EXPECT_EQ(u32At(wav, 4), 36u + 13670u);
    EXPECT_EQ(wav.mid(8, 4), "WAVE");
    EXPECT_EQ(wav.mid(12, 4), "fmt ");
    EXPECT_EQ(u32At(wav, 16), 16u);
    EXPECT_EQ(u16At(wav, 20), 1);
    EXPECT_EQ(u16At(wav, 22), 1);
    EXPECT_EQ(u32At(wav, 24), 44100u);
    EXPECT_EQ(u32At(wav, 28), 88200u);
    EXPECT_EQ(u16At(wav, 32), 2);
    EXPECT_EQ(u16At(wav, 34), 16);
    EXPECT_EQ(wav.mid(36, 4), "data");
    EXPECT_EQ(u32At(wav, 40), 13670u) << "6835 samples";

    // Click 0 covers 0..2645, click 1 starts at 3307 and ends at 5952; silence between and after.
    EXPECT_NE(sampleAt(wav, 0), 0) << "the noise burst starts at once";
    EXPECT_NE(sampleAt(wav, 3307), 0);
    for (int i = 2646; i < 3307; ++i)
        ASSERT_EQ(sampleAt(wav, i), 0) << "sample " << i;
    for (int i = 3307 + 2646; i < 6835; ++i)
        ASSERT_EQ(sampleAt(wav, i), 0) << "sample " << i;
    int peak = 0;
    for (int i = 0; i < 6835; ++i)
        peak = std::max(peak, std::abs(int(sampleAt(wav, i))));
    EXPECT_LT(peak, int(0.9 * 32767)) << "never clipped";
}

TEST_F(LockSoundsTest, LockFallsFrom1650To1100AndUnlockRises)
{
    const QByteArray lock = LockSounds::clip(Sound::lock);
    const QByteArray unlock = LockSounds::clip(Sound::unlock);
    // Past the noise burst (900/s decays it within a few milliseconds) the tone dominates.
    EXPECT_GT(power(lock, 200, 2000, 1650), 20 * power(lock, 200, 2000, 1100));
    EXPECT_GT(power(lock, 3507, 2000, 1100), 20 * power(lock, 3507, 2000, 1650));
    EXPECT_GT(power(unlock, 200, 2000, 1100), 20 * power(unlock, 200, 2000, 1650));
    EXPECT_GT(power(unlock, 3507, 2000, 1650), 20 * power(unlock, 3507, 2000, 1100));
}

TEST_F(LockSoundsTest, SamplesConvertWithTheTopClippedAndTheRestTruncated)
{
    EXPECT_EQ(LockSounds::sampleValue(1.0), 32767);
    EXPECT_EQ(LockSounds::sampleValue(1.7), 32767);
    EXPECT_EQ(LockSounds::sampleValue(-1.2), -32767);
    EXPECT_EQ(LockSounds::sampleValue(-1.0), -32767);
    EXPECT_EQ(LockSounds::sampleValue(0.5), 16383) << "16383.5 truncated";
    EXPECT_EQ(LockSounds::sampleValue(-0.5), -16383) << "towards zero";
    EXPECT_EQ(LockSounds::sampleValue(0), 0);
}

TEST_F(LockSoundsTest, NoiseIsDrawnOncePerClickSampleAndShapesTheBurst)
{
    std::vector<double> drawn;
    std::mt19937_64 seeded(42);
    std::uniform_real_distribution<double> uniform(-1, 1);
    const QByteArray a = LockSounds::wav({1650, 1100}, [&] {
        drawn.push_back(uniform(seeded));
        return drawn.back();
    });
    ASSERT_EQ(drawn.size(), 2u * 2646u);
    // The first sample is noise alone (sin 0 = 0): 0.6 * 0.5 * u, truncated.
    EXPECT_EQ(sampleAt(a, 0), LockSounds::sampleValue(0.3 * drawn[0]));
    EXPECT_EQ(sampleAt(a, 3307), LockSounds::sampleValue(0.3 * drawn[2646]));

    // A fixed source gives the same clip; the process's own source differs between builds.
    std::mt19937_64 again(42);
    EXPECT_EQ(LockSounds::wav({1650, 1100}, [&] { return uniform(again); }), a);
    EXPECT_NE(LockSounds::wav({1650, 1100}), LockSounds::wav({1650, 1100}));

    // The default source is uniform over [-1, 1]: its noise at the first sample of every click.
    std::vector<double> firsts;
    for (int i = 0; i < 400; ++i) {
        const QByteArray clip = LockSounds::wav({1000});
        firsts.push_back(sampleAt(clip, 0) / (0.3 * 32767));
    }
    const double mean = std::accumulate(firsts.begin(), firsts.end(), 0.0) / double(firsts.size());
    double variance = 0;
    for (double v : firsts) {
        ASSERT_LE(std::abs(v), 1.0);
        variance += (v - mean) * (v - mean);
    }
    variance /= double(firsts.size());
    EXPECT_NEAR(mean, 0, 0.1);
    EXPECT_NEAR(variance, 1.0 / 3, 0.06) << "the variance of a uniform [-1, 1]";
}

TEST_F(LockSoundsTest, WithoutAUserFileTheBuiltClipPlaysAtGain055AndIsReused)
{
    LockSounds::play(Sound::lock);
    LockSounds::play(Sound::lock);
    LockSounds::play(Sound::unlock);
    ASSERT_EQ(player.plays.size(), 3u);
    EXPECT_EQ(player.plays[0].stream, "lock");
    EXPECT_EQ(player.plays[0].wav.size(), 13714);
    EXPECT_DOUBLE_EQ(player.plays[0].gain, 0.55);
    EXPECT_EQ(player.plays[1].wav, player.plays[0].wav) << "built once: the same noise on every play";
    EXPECT_EQ(player.plays[2].stream, "unlock");
    EXPECT_NE(player.plays[2].wav, player.plays[0].wav);
    EXPECT_EQ(LockSounds::playedText(), "lock:built-in,lock:built-in,unlock:built-in");
}

TEST_F(LockSoundsTest, AReadableUserFilePlaysAndAnythingElseFallsBackToTheClip)
{
    EXPECT_EQ(LockSounds::playedText(), "none");
    const std::string tone = test::writeFile(file("tone.wav"), test::toneWav(2, 48000, 4800));
    UserDefaults::standard().set(settings::unlockSoundPath, tone);
    LockSounds::play(Sound::unlock);
    ASSERT_EQ(player.plays.size(), 1u);
    EXPECT_EQ(player.plays[0].file, tone);
    EXPECT_EQ(LockSounds::playedText(), "unlock:tone.wav");

    // Each of these plays the built-in lock clip.
    ::mkfifo(file("fifo").c_str(), 0600);  // opening it for reading would wait for a writer
    const std::string unreadable = test::writeFile(file("secret.wav"), test::toneWav(1, 44100, 100));
    ::chmod(unreadable.c_str(), 0);
    const std::vector<std::string> refused = {
        "",
        "tone.wav",                                                      // relative
        dir.path().toStdString(),                                        // a folder
        file("fifo"),
        file("gone.wav"),                                                // deleted (never there)
        geteuid() == 0 ? std::string() : unreadable,                     // root reads anything
        test::writeFile(file("notes.txt"), "not a sound at all"),
        test::writeFile(file("nine.wav"), test::toneWav(9, 44100, 100)),
        test::writeFile(file("zero.wav"), test::toneWav(0, 44100, 100)),
        test::writeFile(file("fast.wav"), test::toneWav(1, 2000000, 100)),  // a rate the server refuses
    };
    for (const auto &path : refused) {
        UserDefaults::standard().set(settings::lockSoundPath, path);
        const size_t before = player.plays.size();
        LockSounds::play(Sound::lock);
        ASSERT_EQ(player.plays.size(), before + 1);
        EXPECT_EQ(player.plays.back().file, "") << path;
        EXPECT_EQ(player.plays.back().stream, "lock") << path;
    }
    EXPECT_TRUE(isReadableSoundFile(test::writeFile(file("eight.wav"), test::toneWav(8, 44100, 100))));
}

TEST_F(LockSoundsTest, AFileDeletedSinceItWasChosenPlaysTheClip)
{
    const std::string tone = test::writeFile(file("tone.wav"), test::toneWav(1, 44100, 4410));
    UserDefaults::standard().set(settings::lockSoundPath, tone);
    LockSounds::play(Sound::lock);
    QFile::remove(QString::fromStdString(tone));
    LockSounds::play(Sound::lock);
    ASSERT_EQ(player.plays.size(), 2u);
    EXPECT_EQ(player.plays[0].file, tone);
    EXPECT_EQ(player.plays[1].stream, "lock");
    EXPECT_EQ(LockSounds::playedText(), "lock:tone.wav,lock:built-in");
}
