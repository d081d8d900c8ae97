// The lock sounds on the PulseAudio server that scripts/run-tests starts (its null sinks).
#include "LockScreen/LockSounds.h"
#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"
#include "Platform/linux/PulseClipPlayer.h"

#include "SoundFileSupport.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

using namespace vesk;
using vesk::test::pactl;
using vesk::test::waitFor;

namespace {

struct Input {
    std::string name;
    std::string volume;  // the first channel's percentage, as pactl shows it
    bool corked = false;
};

// This process's playback streams.
std::vector<Input> ourInputs()
{
    std::vector<Input> out;
    auto list = nlohmann::json::parse(pactl({"-f", "json", "list", "sink-inputs"}).value_or("").toStdString(), nullptr, false);
    if (!list.is_array())
        return out;
    for (auto &input : list) {
        const auto &props = input["properties"];
        if (props.value("application.process.id", "") != std::to_string(::getpid()))
            continue;
        Input i;
        i.name = props.value("media.name", "");
        i.corked = input.value("corked", false);
        for (auto &[channel, v] : input["volume"].items()) {
            i.volume = v.value("value_percent", "");
            break;
        }
        out.push_back(i);
    }
    return out;
}

size_t count(const std::vector<Input> &inputs, const std::string &name)
{
    return size_t(std::count_if(inputs.begin(), inputs.end(), [&](const Input &i) { return i.name == name; }));
}

class LockSoundsIntegration : public ::testing::Test {
protected:
    LockSoundsIntegration()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        LockSounds::reset();
        ClipPlayer::setShared(&player);
    }
    ~LockSoundsIntegration() override { ClipPlayer::setShared(nullptr); }

    PulseClipPlayer player;
    QTemporaryDir dir;
};

}  // namespace

TEST_F(LockSoundsIntegration, ALockPlaysOneKeptStreamAtGain055)
{
    ASSERT_TRUE(pactl({"info"})) << "scripts/run-tests starts a PulseAudio server";
    LockSounds::play(LockSounds::Sound::lock);
    ASSERT_TRUE(waitFor([&] { return count(ourInputs(), "Vesk lock sound") == 1; }));
    const auto inputs = ourInputs();
    EXPECT_EQ(inputs.front().volume, "82%") << "pa_sw_volume_from_linear(0.55)";
    // Once played out it is corked, and kept for the next lock.
    EXPECT_TRUE(waitFor([&] {
        const auto now = ourInputs();
        return count(now, "Vesk lock sound") == 1 && now.front().corked;
    }));

    // Plays in quick succession restart the one stream instead of adding more.
    for (int i = 0; i < 3; ++i)
        LockSounds::play(LockSounds::Sound::lock);
    LockSounds::play(LockSounds::Sound::unlock);
    ASSERT_TRUE(waitFor([&] { return count(ourInputs(), "Vesk unlock sound") == 1; }));
    EXPECT_EQ(count(ourInputs(), "Vesk lock sound"), 1u);
}

TEST_F(LockSoundsIntegration, AUserWavStreamsAndANewOneStopsIt)
{
    const std::string first = test::writeFile((dir.path() + "/long.wav").toStdString(), test::toneWav(2, 48000, 48000 * 5));
    const std::string second = test::writeFile((dir.path() + "/tone.wav").toStdString(), test::toneWav(1, 22050, 22050 * 5));
    UserDefaults::standard().set(settings::lockSoundPath, first);
    UserDefaults::standard().set(settings::unlockSoundPath, second);
    LockSounds::play(LockSounds::Sound::lock);
    ASSERT_TRUE(waitFor([&] { return count(ourInputs(), "Vesk sound file") == 1; }));
    LockSounds::play(LockSounds::Sound::unlock);
    // The first file's stream goes; the second's plays alone.
    waitFor([] { return false; }, 500);
    EXPECT_EQ(count(ourInputs(), "Vesk sound file"), 1u);
    EXPECT_EQ(count(ourInputs(), "Vesk lock sound"), 0u) << "a readable file plays instead of the clip";
    EXPECT_EQ(LockSounds::playedText(), "lock:long.wav,unlock:tone.wav");
}
