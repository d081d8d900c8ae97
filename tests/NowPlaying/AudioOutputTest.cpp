#include "NowPlaying/AudioOutput.h"
#include "Platform/sim/SimAudioDevices.h"
#include "Base/VirtualTime.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace vesk;
using T = AudioTransport;

struct SymbolRow {
    const char *name;
    AudioTransport transport;
    bool laptop;
    const char *symbol;
};

class AudioOutputSymbolTest : public ::testing::TestWithParam<SymbolRow> {};

TEST_P(AudioOutputSymbolTest, PicksTheSymbol)
{
    const auto &row = GetParam();
    EXPECT_EQ(AudioOutput::symbol(QString::fromUtf8(row.name), row.transport, row.laptop).toStdString(), row.symbol);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AudioOutputSymbolTest,
    ::testing::Values(
        // Name rules win over the transport, in table order.
        SymbolRow{"Anna's AirPods Pro", T::bluetooth, false, "airpodspro"},
        SymbolRow{"AirPods Max", T::bluetooth, false, "airpodsmax"},
        SymbolRow{"AIRPODS", T::other, false, "airpods"},
        SymbolRow{"Studio Buds by Beats Studio", T::bluetooth, false, "beats.studiobuds"},
        SymbolRow{"Powerbeats Pro", T::bluetooth, false, "beats.powerbeatspro"},
        SymbolRow{"Beats Fit Pro", T::bluetooth, false, "beats.fitpro"},
        SymbolRow{"Beats Solo3", T::bluetooth, false, "beats.headphones"},
        SymbolRow{"Beats Flex", T::bluetooth, false, "beats.earphones"},
        SymbolRow{"Kitchen HomePod mini", T::network, false, "homepodmini.fill"},
        SymbolRow{"HomePod", T::network, false, "homepod.fill"},
        // Transport rules.
        SymbolRow{"Living Room", T::network, false, "airplayaudio"},
        SymbolRow{"Built-in Headphones", T::builtin, true, "headphones"},
        SymbolRow{"Kopfhörer", T::builtin, false, "headphones"},
        SymbolRow{"Built-in Speakers", T::builtin, true, "macbook"},
        SymbolRow{"Built-in Speakers", T::builtin, false, "desktopcomputer"},
        SymbolRow{"DELL U2720Q", T::hdmi, false, "display"},
        SymbolRow{"JBL Speaker", T::bluetooth, false, "hifispeaker.fill"},
        SymbolRow{"UE BOOM 3", T::bluetooth, false, "hifispeaker.fill"},
        SymbolRow{"WH-1000XM4", T::bluetooth, false, "headphones"},
        SymbolRow{"USB Audio CODEC", T::usb, false, "hifispeaker.fill"},
        SymbolRow{"Jabra USB Headset", T::usb, false, "headphones"},
        SymbolRow{"Null Output", T::other, false, "hifispeaker.fill"}));

TEST(AudioOutputTest, UnknownSymbolsFallThroughToTheNextCandidateThenHeadphones)
{
    std::set<QString> known{"beats.earphones", "homepod.fill"};
    AudioOutput::setSymbolLookup([&](const QString &name) { return known.count(name) > 0; });
    EXPECT_EQ(AudioOutput::symbol("Studio Buds", T::bluetooth, false), "beats.earphones");
    EXPECT_EQ(AudioOutput::symbol("HomePod mini", T::network, false), "homepod.fill");
    EXPECT_EQ(AudioOutput::symbol("AirPods", T::bluetooth, false), "headphones");
    EXPECT_EQ(AudioOutput::symbol("Built-in", T::builtin, false), "headphones");
    AudioOutput::setSymbolLookup(nullptr);
    EXPECT_EQ(AudioOutput::symbol("AirPods", T::bluetooth, false), "airpods");
}

TEST(AudioOutputTest, LaptopTestLooksForAnInternalBattery)
{
    QTemporaryDir dir;
    auto supply = [&](const QString &name, const QByteArray &type, const QByteArray &scope = {}) {
        QDir(dir.path()).mkpath(name);
        QFile t(dir.filePath(name + "/type"));
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
        t.write(type + "\n");
        if (!scope.isEmpty()) {
            QFile s(dir.filePath(name + "/scope"));
            ASSERT_TRUE(s.open(QIODevice::WriteOnly));
            s.write(scope + "\n");
        }
    };
    EXPECT_FALSE(AudioOutput::detectLaptop(dir.path() + "/missing"));
    supply("AC", "Mains");
    supply("hidpp_battery_0", "Battery", "Device");  // a wireless mouse's battery
    EXPECT_FALSE(AudioOutput::detectLaptop(dir.path()));
    supply("BAT0", "Battery");
    EXPECT_TRUE(AudioOutput::detectLaptop(dir.path()));
}

class AudioOutputDevicesTest : public ::testing::Test {
protected:
    VirtualTime time;
    SimAudioDevices sim;
};

TEST_F(AudioOutputDevicesTest, ListsOutputsInOrderWithWirelessFlag)
{
    EXPECT_TRUE(AudioOutput::devices(sim).empty());
    sim.systemSetOutputs({{{7, "Built-in Speakers", T::builtin}},
                          {{3, "WH-1000XM4", T::bluetooth}},
                          {{9, "Living Room", T::network}},
                          {{4, "USB Audio", T::usb}}});
    auto list = AudioOutput::devices(sim);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].id, 7u);
    EXPECT_FALSE(list[0].isWireless);
    EXPECT_EQ(list[1], (AudioOutput::Device{3, "WH-1000XM4", "headphones", true}));
    EXPECT_TRUE(list[2].isWireless);
    EXPECT_EQ(list[2].symbol, "airplayaudio");
    EXPECT_FALSE(list[3].isWireless);
    sim.systemSetAvailable(false);
    EXPECT_TRUE(AudioOutput::devices(sim).empty());
}

TEST_F(AudioOutputDevicesTest, OnlyTheFirstObserverIsCalledOncePerNotification)
{
    int first = 0, second = 0;
    AudioOutput::observe(sim, [&] { ++first; });
    AudioOutput::observe(sim, [&] { ++second; });
    // A headset connects and at once becomes the default: one call for each notification.
    sim.systemSetOutputs({{{1, "Speakers", T::builtin}}, {{2, "Headset", T::bluetooth}}});
    sim.systemSetDefault(2);
    EXPECT_EQ(first, 0);  // delivered on a later turn
    time.flush();
    EXPECT_EQ(first, 2);
    sim.systemSetVolume(2, 0.2f, false);  // a volume change is not a device change
    sim.systemSetDefault(2);              // nor is an unchanged default
    time.flush();
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 0);
}

TEST_F(AudioOutputDevicesTest, ANewAudioServiceCanBeObservedAgain)
{
    int calls = 0;
    {
        SimAudioDevices other;
        AudioOutput::observe(other, [] {});
    }
    AudioOutput::observe(sim, [&] { ++calls; });
    sim.systemSetOutputs({{{1, "Speakers", T::builtin}}});
    time.flush();
    EXPECT_EQ(calls, 1);
}
