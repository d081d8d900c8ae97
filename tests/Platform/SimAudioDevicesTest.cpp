#include "Platform/sim/SimAudioDevices.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace vesk;

class SimAudioDevicesTest : public ::testing::Test {
protected:
    SimAudioDevicesTest()
    {
        sim.systemSetOutputs({{{1, "Speakers", AudioTransport::builtin}, 0.5f, false},
                              {{2, "Headset", AudioTransport::bluetooth}, 0.2f, true}});
        sim.systemSetDefault(1);
        time.flush();
        connections.push_back(sim.outputsChanged.connect([this] { events.push_back("outputs"); }));
        connections.push_back(sim.defaultOutputChanged.connect([this] { events.push_back("default"); }));
        connections.push_back(sim.volumeChanged.connect([this](uint32_t id) { events.push_back("volume " + std::to_string(id)); }));
    }
    VirtualTime time;
    SimAudioDevices sim;
    std::vector<std::string> events;
    std::vector<Connection> connections;
};

TEST_F(SimAudioDevicesTest, WritesFollowTheServiceRules)
{
    EXPECT_TRUE(sim.setVolume(1, 1.7f));
    EXPECT_EQ(sim.volume(1), 1.0f);
    EXPECT_TRUE(sim.setMuted(2, false));
    EXPECT_FALSE(sim.setVolume(5, 0.3f));  // unknown device
    sim.refuseWrites(true);
    EXPECT_FALSE(sim.setVolume(1, 0.3f));
    EXPECT_EQ(sim.volume(1), 1.0f);
    time.flush();
    EXPECT_TRUE(events.empty());  // own writes are not echoed
    using W = SimAudioDevices::Write;
    EXPECT_EQ(sim.writes(), (std::vector<W>{{1, 1.0f, std::nullopt}, {2, std::nullopt, false}}));
}

TEST_F(SimAudioDevicesTest, SystemChangesAreReportedOnlyWhenTheyChangeSomething)
{
    sim.systemSetVolume(2, 0.2f, true);  // unchanged
    sim.systemSetVolume(2, 0.2f, false);
    sim.systemSetOutputs({{{2, "Headset", AudioTransport::bluetooth}, 0.2f, false}});  // speakers leave
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"volume 2", "outputs", "default"}));
    EXPECT_EQ(sim.defaultOutput(), std::nullopt);
}

TEST(AudioTransportTest, NamesGoBothWays)
{
    for (auto t : {AudioTransport::builtin, AudioTransport::bluetooth, AudioTransport::usb, AudioTransport::hdmi,
                   AudioTransport::network, AudioTransport::other})
        EXPECT_EQ(transportNamed(transportName(t)), t);
    EXPECT_EQ(transportName(AudioTransport::builtin), "builtin");
    EXPECT_EQ(transportNamed("airplay"), std::nullopt);
}

TEST_F(SimAudioDevicesTest, NoServerMeansAnEmptyServiceThatRefusesWrites)
{
    sim.systemSetAvailable(false);
    EXPECT_TRUE(sim.outputs().empty());
    EXPECT_EQ(sim.defaultOutput(), std::nullopt);
    EXPECT_EQ(sim.volume(1), std::nullopt);
    EXPECT_FALSE(sim.setVolume(1, 0.4f));
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"outputs", "default"}));
    sim.systemSetAvailable(true);
    EXPECT_EQ(sim.defaultOutput(), 1u);
    EXPECT_EQ(sim.volume(1), 0.5f);
}
