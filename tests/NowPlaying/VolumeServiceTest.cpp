#include "NowPlaying/VolumeService.h"
#include "Platform/sim/SimAudioDevices.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace vesk;

class VolumeServiceTest : public ::testing::Test {
protected:
    VolumeServiceTest()
    {
        devices.systemSetOutputs({{AudioDevice{1, "Built-in Speakers", AudioTransport::builtin}, 0.3f, false},
                                  {AudioDevice{2, "Headphones", AudioTransport::usb}, 0.8f, true}});
        devices.systemSetDefault(1u);
        time.flush();
        service.onChange = [this](float volume, bool muted) { reports.emplace_back(volume, muted); };
    }
    VirtualTime time;
    SimAudioDevices devices;
    VolumeService service{devices};
    std::vector<std::pair<float, bool>> reports;
};

TEST_F(VolumeServiceTest, IdleUntilStartedThenAttachedToTheDefaultOutput)
{
    EXPECT_EQ(service.device(), 0u);
    EXPECT_FALSE(service.volume());
    EXPECT_FALSE(service.setVolume(0.5f));
    devices.systemSetVolume(1, 0.4f, false);
    time.flush();
    EXPECT_TRUE(reports.empty());

    service.start();
    service.start();  // a second start installs nothing more
    EXPECT_EQ(service.device(), 1u);
    EXPECT_EQ(service.volume(), 0.4f);
    EXPECT_TRUE(reports.empty());  // attaching reports nothing by itself
    devices.systemSetVolume(1, 0.5f, true);
    time.flush();
    // A mute change reports the level with it, and each change is reported once.
    EXPECT_EQ(reports, (std::vector<std::pair<float, bool>>{{0.5f, true}}));
}

TEST_F(VolumeServiceTest, FollowsTheDefaultOutputAndOnlyItsChanges)
{
    service.start();
    devices.systemSetDefault(2u);
    time.flush();
    EXPECT_EQ(service.device(), 2u);
    EXPECT_TRUE(reports.empty());  // switching alone is no volume change
    EXPECT_EQ(service.isMuted(), true);

    devices.systemSetVolume(1, 0.9f, false);
    time.flush();
    EXPECT_TRUE(reports.empty());
    devices.systemSetVolume(2, 0.6f, true);
    time.flush();
    EXPECT_EQ(reports, (std::vector<std::pair<float, bool>>{{0.6f, true}}));

    // Its own writes go to the followed output and are reported once, on a later turn, as the
    // server does not report them.
    reports.clear();
    EXPECT_TRUE(service.setVolume(0.25f));
    EXPECT_TRUE(service.setMuted(false));
    EXPECT_EQ(devices.volume(2), 0.25f);
    EXPECT_EQ(devices.volume(1), 0.9f);
    EXPECT_EQ(devices.isMuted(2), false);
    EXPECT_TRUE(reports.empty());
    time.flush();
    EXPECT_EQ(reports, (std::vector<std::pair<float, bool>>{{0.25f, false}}));

    devices.refuseWrites(true);
    EXPECT_FALSE(service.setVolume(0.5f));
    time.flush();
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(VolumeServiceTest, WithoutADefaultOutputNothingIsReadOrWritten)
{
    service.start();
    devices.systemSetDefault(std::nullopt);
    time.flush();
    EXPECT_EQ(service.device(), 0u);
    EXPECT_FALSE(service.volume());
    EXPECT_FALSE(service.isMuted());
    EXPECT_FALSE(service.setMuted(true));
    devices.systemSetVolume(1, 0.9f, false);
    time.flush();
    EXPECT_TRUE(reports.empty());

    // The server going away leaves it detached; coming back re-attaches.
    devices.systemSetDefault(1u);
    devices.systemSetAvailable(false);
    time.flush();
    EXPECT_EQ(service.device(), 0u);
    devices.systemSetAvailable(true);
    time.flush();
    EXPECT_EQ(service.device(), 1u);
}
