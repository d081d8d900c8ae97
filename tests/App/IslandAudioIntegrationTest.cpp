// The island models on the sound server that scripts/run-tests starts: outputs loaded and unloaded
// at run time reach every island, and so does a volume change made by another program.
#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "Model/SpaceSwipeDetector.h"
#include "NowPlaying/VolumeService.h"
#include "Platform/UserDefaults.h"
#include "Platform/linux/PulseAudioOutputs.h"
#include "Platform/sim/SimSwipeSource.h"
#include "Platform/sim/SimWorkspace.h"

#include "TestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>

#include <unistd.h>

using namespace vesk;
using vesk::test::pactl;
using vesk::test::waitFor;

namespace {


// The server's index of an output, which pactl takes.
QString sinkIndex(uint32_t device) { return QString::number(device - 1); }

class IslandAudioIntegrationTest : public ::testing::Test {
protected:
    IslandAudioIntegrationTest()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        UserDefaults::standard().set(Defaults::migrationFlagKey, true);
        setAudioDevices(&audio);
        audio.start();
        setWorkspace(&workspace);
        setSwipeSource(&swipeSource);
        SpaceSwipeDetector::setShared(&swipes);
        primary = NotchViewModel::makePrimary();
    }
    ~IslandAudioIntegrationTest() override
    {
        primary.reset();
        setAudioDevices(nullptr);
        setWorkspace(nullptr);
        setSwipeSource(nullptr);
        SpaceSwipeDetector::setShared(nullptr);
    }

    static bool lists(const NotchViewModel &model, const QString &name)
    {
        const auto &all = model.outputs.peek();
        return std::any_of(all.begin(), all.end(), [&](const auto &d) { return d.name == name; });
    }

    // What the application does at start-up: every island hears the volume service.
    void wireVolume()
    {
        primary->audio().onChange = [this](float level, bool muted) {
            primary->volumeChanged(level, muted);
            for (auto &mirror : primary->mirrors())
                mirror->volumeChanged(level, muted);
        };
        primary->audio().start();
        primary->readVolume();
    }

    PulseAudioOutputs audio;
    SimWorkspace workspace;
    SimSwipeSource swipeSource;
    SpaceSwipeDetector swipes{swipeSource};
    std::shared_ptr<NotchViewModel> primary;
};

}  // namespace

TEST_F(IslandAudioIntegrationTest, OutputsLoadedAndUnloadedAtRunTimeReachEveryIsland)
{
    auto mirror = NotchViewModel::makeMirror(*primary);
    ASSERT_TRUE(waitFor([&] { return lists(*primary, "Built-in Speakers") && lists(*primary, "Headphones"); }));
    EXPECT_TRUE(lists(*mirror, "Headphones"));
    EXPECT_TRUE(primary->currentOutputID.peek().has_value());

    const QString name = QStringLiteral("vesk_island_%1").arg(::getpid());
    const auto module = pactl({"load-module", "module-null-sink", "sink_name=" + name,
                               "sink_properties=device.description=" + name});
    ASSERT_TRUE(module);
    const bool listed = waitFor([&] { return lists(*primary, name) && lists(*mirror, name); });
    pactl({"unload-module", *module});
    ASSERT_TRUE(listed);
    EXPECT_TRUE(waitFor([&] { return !lists(*primary, name) && !lists(*mirror, name); }));
    EXPECT_FALSE(primary->peek.peek());  // wired (null) outputs are never announced
}

// One test for both directions: they work on the default output, which they must not share.
TEST_F(IslandAudioIntegrationTest, VolumeChangesTravelBetweenTheIslandsAndOtherPrograms)
{
    auto mirror = NotchViewModel::makeMirror(*primary);
    wireVolume();
    ASSERT_TRUE(waitFor([&] { return primary->audio().device() != 0 && primary->audio().volume(); }));
    const uint32_t device = primary->audio().device();
    const float before = *primary->audio().volume();
    const float target = before < 0.5f ? 0.63f : 0.37f;
    auto percent = [](float level) { return QString::number(int(std::lround(level * 100))) + "%"; };

    // Another test may make another output the default for a moment: set the level on whichever
    // output the island follows until it shows.
    uint32_t written = 0;
    const bool seen = waitFor([&] {
        const uint32_t now = primary->audio().device();
        if (now != 0 && now != written) {
            pactl({"set-sink-volume", sinkIndex(now), percent(target)});
            written = now;
        }
        return std::abs(primary->volumeLevel.peek() - target) < 0.01f && primary->peek.peek() &&
               mirror->peek.peek();
    });
    EXPECT_TRUE(seen) << "the islands never showed the new volume";
    if (seen) {
        EXPECT_EQ(primary->peek.peek()->kind(), Peek::Kind::volume);
        EXPECT_NEAR(mirror->volumeLevel.peek(), target, 0.01f);
    }

    // The slider writes the followed output, and raising a muted one unmutes it.
    const QString index = sinkIndex(primary->audio().device());
    pactl({"set-sink-mute", index, "1"});
    const bool muted = waitFor([&] { return primary->isMuted.peek(); });
    EXPECT_TRUE(muted);
    primary->setVolume(0.5f);
    const bool readBack = waitFor([&] {
        const auto volume = pactl({"get-sink-volume", index}).value_or("");
        const auto mute = pactl({"get-sink-mute", index}).value_or("");
        return volume.contains(QLatin1String(" 50%")) && mute.contains(QLatin1String("no"));
    });
    EXPECT_TRUE(readBack) << "pactl never read back the island's volume and unmute";
    EXPECT_FALSE(primary->isMuted.peek());

    pactl({"set-sink-volume", sinkIndex(device), percent(before)});
    pactl({"set-sink-mute", sinkIndex(device), "0"});
}
