#include "IslandTestSupport.h"

#include "NowPlaying/VolumeService.h"

using namespace vesk;
using vesk::test::IslandTest;

// The default output's volume and mute in every island, the volume slider's writes, and the
// readouts of outputs that connect and disconnect.
class VolumeAndOutputsTest : public IslandTest {
protected:
    static SimAudioDevices::Output output(uint32_t id, const char *name, AudioTransport transport,
                                          float volume = 0.5f, bool muted = false)
    {
        return {AudioDevice{id, name, transport}, volume, muted};
    }
    // The built-in speakers, the default output, at `volume`.
    void speakersOnly(float volume = 0.3f, bool muted = false)
    {
        audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin, volume, muted)});
        audioDevices.systemSetDefault(1u);
    }
    // What the application does at start-up: every island hears the volume service, which starts.
    void wireVolume(NotchViewModel &primary) { primary.startAudio(); }
    static std::vector<uint32_t> ids(const std::vector<AudioOutput::Device> &devices)
    {
        std::vector<uint32_t> list;
        for (auto &d : devices)
            list.push_back(d.id);
        return list;
    }
};

TEST_F(VolumeAndOutputsTest, AVolumeChangeShowsOnEveryClosedIslandWithoutForwarding)
{
    speakersOnly(0.3f);
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    wireVolume(*primary);
    EXPECT_EQ(primary->volumeLevel.peek(), 0.3f);
    mirror->open(false);

    audioDevices.systemSetVolume(1, 0.6f, true);
    time.flush();
    EXPECT_EQ(primary->peek.peek(), Peek::volume(0.6f, true));
    EXPECT_EQ(primary->volumeLevel.peek(), 0.6f);
    EXPECT_TRUE(primary->isMuted.peek());
    // The open mirror takes the level but shows no readout of it.
    EXPECT_EQ(mirror->volumeLevel.peek(), 0.6f);
    EXPECT_FALSE(mirror->peek.peek());
    EXPECT_TRUE(haptics.entries.empty());

    // Shown once per island: a primary's readout is not forwarded on top of the mirror's own.
    mirror->close(false);
    primary->volumeChanged(0.2f, false);
    EXPECT_FALSE(mirror->peek.peek());
    EXPECT_EQ(mirror->volumeLevel.peek(), 0.6f);

    defaults().set(settings::showVolumeHUD, false);
    time.advance(5);
    audioDevices.systemSetVolume(1, 0.1f, false);
    time.flush();
    EXPECT_EQ(primary->volumeLevel.peek(), 0.1f);
    EXPECT_FALSE(primary->peek.peek());
}

TEST_F(VolumeAndOutputsTest, TheSliderClampsUnmutesAndGivesAHapticOnlyOnReachingAnEnd)
{
    speakersOnly(0.3f);
    auto model = settledPrimary();
    wireVolume(*model);
    model->open(false);
    haptics.take();
    model->setVolume(-0.2f);
    EXPECT_EQ(audioDevices.volume(1), 0.0f);
    EXPECT_EQ(model->volumeLevel.peek(), 0.0f);
    model->setVolume(0.0f);  // still at 0: no second haptic
    EXPECT_EQ(patternsOf(*model), std::vector{HapticPattern::levelChange});
    model->setVolume(0.7f);
    model->setVolume(1.4f);
    EXPECT_EQ(audioDevices.volume(1), 1.0f);
    EXPECT_EQ(patternsOf(*model), (std::vector{HapticPattern::levelChange, HapticPattern::levelChange}));

    haptics.take();
    defaults().set(settings::hapticFeedback, false);
    model->setVolume(0.0f);
    EXPECT_TRUE(haptics.entries.empty());
}

TEST_F(VolumeAndOutputsTest, TheSliderOnOneIslandReachesTheOthers)
{
    speakersOnly(0.3f, true);
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    wireVolume(*primary);
    time.advance(1);
    mirror->open(false);
    mirror->setVolume(0.6f);
    mirror->setVolume(0.7f);
    EXPECT_EQ(primary->volumeLevel.peek(), 0.3f);  // until the service reports the writes
    time.flush();
    // The dragged island is open and shows no readout; the other one learns the level and unmute.
    EXPECT_EQ(primary->volumeLevel.peek(), 0.7f);
    EXPECT_FALSE(primary->isMuted.peek());
    EXPECT_EQ(primary->peek.peek(), Peek::volume(0.7f, false));
    EXPECT_FALSE(mirror->peek.peek());
}

TEST_F(VolumeAndOutputsTest, RaisingAMutedOutputUnmutesItButZeroKeepsItMuted)
{
    speakersOnly(0.3f, true);
    auto model = settledPrimary();
    wireVolume(*model);
    ASSERT_TRUE(model->isMuted.peek());
    model->setVolume(0.0f);
    EXPECT_EQ(audioDevices.isMuted(1), true);
    EXPECT_TRUE(model->isMuted.peek());
    model->setVolume(0.5f);
    EXPECT_EQ(audioDevices.isMuted(1), false);
    EXPECT_FALSE(model->isMuted.peek());
    EXPECT_EQ(audioDevices.writes().back(), (SimAudioDevices::Write{1, std::nullopt, false}));
}

TEST_F(VolumeAndOutputsTest, ARefusedWriteChangesNothing)
{
    speakersOnly(0.3f, true);
    auto model = settledPrimary();
    wireVolume(*model);
    audioDevices.refuseWrites(true);
    model->setVolume(1.0f);
    EXPECT_EQ(model->volumeLevel.peek(), 0.3f);
    EXPECT_TRUE(model->isMuted.peek());
    EXPECT_TRUE(haptics.entries.empty());

    // Without any output there is nothing to write to either.
    audioDevices.refuseWrites(false);
    audioDevices.systemSetOutputs({});
    time.flush();
    model->setVolume(0.0f);
    EXPECT_TRUE(haptics.entries.empty());
    EXPECT_EQ(model->volumeLevel.peek(), 0.0f);  // re-read after the change: nothing to read
    EXPECT_FALSE(model->currentOutputID.peek());
}

TEST_F(VolumeAndOutputsTest, OnlyAWirelessDeviceThatComesOrGoesIsAnnouncedAndTheFirstListIsSilent)
{
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin),
                                   output(2, "WH-1000XM4", AudioTransport::bluetooth)});
    audioDevices.systemSetDefault(1u);
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    EXPECT_FALSE(primary->peek.peek());  // the launch list announces nothing
    EXPECT_EQ(ids(primary->outputs.peek()), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(primary->currentOutputID.peek(), 1u);

    // A headset and a wired output in one change: one readout, the headset's.
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin),
                                   output(2, "WH-1000XM4", AudioTransport::bluetooth),
                                   output(3, "USB Audio", AudioTransport::usb),
                                   output(4, "AirPods Pro", AudioTransport::bluetooth)});
    audioDevices.systemSetDefault(4u);
    time.flush();
    EXPECT_EQ(primary->peek.peek(), Peek::device("airpodspro", true));
    EXPECT_EQ(mirror->peek.peek(), Peek::device("airpodspro", true));
    EXPECT_EQ(ids(mirror->outputs.peek()), (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(mirror->currentOutputID.peek(), 4u);
    time.advance(2.49);
    EXPECT_TRUE(primary->peek.peek());
    time.advance(0.02);
    EXPECT_FALSE(primary->peek.peek());

    // Both wireless devices leave: the first of the old list is announced.
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin),
                                   output(3, "USB Audio", AudioTransport::usb)});
    time.flush();
    EXPECT_EQ(primary->peek.peek(), Peek::device("headphones", false));
    EXPECT_FALSE(primary->currentOutputID.peek());  // the default left with the headset

    // Wired outputs never speak.
    time.advance(3);
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin)});
    time.flush();
    EXPECT_FALSE(primary->peek.peek());

    defaults().set(settings::showDeviceActivity, false);
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin),
                                   output(5, "Boombox", AudioTransport::bluetooth)});
    time.flush();
    EXPECT_FALSE(primary->peek.peek());
    EXPECT_EQ(ids(primary->outputs.peek()), (std::vector<uint32_t>{1, 5}));
}

TEST_F(VolumeAndOutputsTest, ANewDefaultOutputIsFollowedAndItsLevelReadOnTheNextTurn)
{
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin, 0.3f),
                                   output(2, "Headphones", AudioTransport::usb, 0.8f, true)});
    audioDevices.systemSetDefault(1u);
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    wireVolume(*primary);

    audioDevices.systemSetDefault(2u);
    time.flush();  // the change is reported
    time.flush();  // and the level read a turn later
    EXPECT_EQ(primary->audio().device(), 2u);
    EXPECT_EQ(primary->currentOutputID.peek(), 2u);
    for (auto *model : {primary.get(), mirror.get()}) {
        EXPECT_EQ(model->volumeLevel.peek(), 0.8f);
        EXPECT_TRUE(model->isMuted.peek());
    }
    EXPECT_FALSE(primary->peek.peek());  // a device switch is not a volume change

    // The old output's changes no longer reach the islands; the new one's do.
    audioDevices.systemSetVolume(1, 0.1f, false);
    time.flush();
    EXPECT_FALSE(primary->peek.peek());
    audioDevices.systemSetVolume(2, 0.4f, true);
    time.flush();
    EXPECT_EQ(primary->peek.peek(), Peek::volume(0.4f, true));
    EXPECT_EQ(mirror->peek.peek(), Peek::volume(0.4f, true));
}

TEST_F(VolumeAndOutputsTest, WithoutASoundServerEverythingReadsEmptyAndNothingIsAnnounced)
{
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin, 0.3f),
                                   output(2, "AirPods", AudioTransport::bluetooth)});
    audioDevices.systemSetDefault(1u);
    audioDevices.systemSetAvailable(false);
    time.flush();
    auto model = settledPrimary();
    wireVolume(*model);
    EXPECT_TRUE(model->outputs.peek().empty());
    EXPECT_FALSE(model->currentOutputID.peek());
    EXPECT_EQ(model->volumeLevel.peek(), 0.0f);
    EXPECT_FALSE(model->isMuted.peek());
    EXPECT_EQ(model->audio().device(), 0u);

    // The server answers late (as at every launch, the connection being made in the background):
    // its list is what was there already, and the volume follows.
    audioDevices.systemSetAvailable(true);
    time.flush();
    time.flush();
    EXPECT_EQ(ids(model->outputs.peek()), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(model->currentOutputID.peek(), 1u);
    EXPECT_EQ(model->audio().device(), 1u);
    EXPECT_EQ(model->volumeLevel.peek(), 0.3f);
    EXPECT_FALSE(model->peek.peek());

    // Losing the server is not the headset leaving, nor is its return the headset connecting.
    audioDevices.systemSetAvailable(false);
    time.flush();
    EXPECT_TRUE(model->outputs.peek().empty());
    EXPECT_FALSE(model->peek.peek());
    audioDevices.systemSetAvailable(true);
    time.flush();
    EXPECT_FALSE(model->peek.peek());

    // Once the server is back, a real connection is announced again.
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin, 0.3f),
                                   output(2, "AirPods", AudioTransport::bluetooth),
                                   output(3, "Beats Solo", AudioTransport::bluetooth)});
    time.flush();
    EXPECT_EQ(model->peek.peek(), Peek::device("beats.headphones", true));
}

TEST_F(VolumeAndOutputsTest, OneReadoutPerChangeAndAConnectionWinsOverADisconnection)
{
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin),
                                   output(2, "SoundLink Flex", AudioTransport::bluetooth)});
    auto model = settledPrimary();
    audioDevices.systemSetOutputs({output(1, "Built-in Speakers", AudioTransport::builtin),
                                   output(3, "AirPods Max", AudioTransport::bluetooth),
                                   output(4, "Living Room", AudioTransport::network)});
    time.flush();
    EXPECT_EQ(model->peek.peek(), Peek::device("airpodsmax", true));
    EXPECT_EQ(patternsOf(*model), std::vector{HapticPattern::generic});
}
