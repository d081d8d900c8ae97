#include "Model/ReadoutRules.h"
#include "NowPlaying/VolumeService.h"
#include "Platform/sim/SimPowerSupply.h"

#include "Model/IslandTestSupport.h"

using namespace vesk;
using vesk::test::IslandTest;
using Key = MediaKeyTap::Key;

// The media-key handler, the brightness watch and the key-tap sync over simulated sources.
class ReadoutRulesHandlerTest : public IslandTest {
protected:
    ReadoutRulesHandlerTest()
    {
        audioDevices.systemSetOutputs({{AudioDevice{1, "Built-in Speakers", AudioTransport::builtin}, 0.5f, false}});
        audioDevices.systemSetDefault(1u);
        primary->startAudio();
        time.flush();
    }
    std::optional<Peek> shown() const { return primary->peek.peek(); }
    float deviceVolume() const { return *audioDevices.volume(1); }
    bool deviceMuted() const { return *audioDevices.isMuted(1); }
    void setVolume(float level, bool muted = false)
    {
        audioDevices.systemSetVolume(1, level, muted);
        time.flush();
    }

    std::shared_ptr<NotchViewModel> primary = settledPrimary();
    SimPowerSupply power;
    BatteryService battery{power};
    MediaKeyTap keyTap{keyGrab, trust};
    SystemMonitor system{keyboard, focusState};
    DownloadMonitor downloads{fileProgress};
    ReadoutRules rules{*primary, ReadoutSources{battery, keyTap, system, downloads}, light};
};

TEST_F(ReadoutRulesHandlerTest, VolumeStepsClampAndAreFineWithShiftAndOption)
{
    setVolume(0.99f);
    EXPECT_TRUE(rules.handle(Key::volumeUp, false));
    EXPECT_EQ(deviceVolume(), 1.0f);
    EXPECT_EQ(shown(), Peek::volume(1.0f, false));
    setVolume(0.03f);
    EXPECT_TRUE(rules.handle(Key::volumeDown, false));
    EXPECT_EQ(deviceVolume(), 0.0f);
    EXPECT_EQ(shown(), Peek::volume(0.0f, false));
    setVolume(0.5f);
    EXPECT_TRUE(rules.handle(Key::volumeUp, true));
    EXPECT_EQ(deviceVolume(), 0.515625f);
    EXPECT_TRUE(rules.handle(Key::volumeDown, false));
    EXPECT_EQ(deviceVolume(), 0.453125f);
}

TEST_F(ReadoutRulesHandlerTest, VolumeUpUnmutesAndVolumeDownKeepsTheMute)
{
    setVolume(0.5f, true);
    EXPECT_TRUE(rules.handle(Key::volumeDown, false));
    EXPECT_TRUE(deviceMuted());
    EXPECT_EQ(shown(), Peek::volume(0.4375f, true));
    EXPECT_TRUE(rules.handle(Key::volumeUp, false));
    EXPECT_FALSE(deviceMuted());
    EXPECT_EQ(shown(), Peek::volume(0.5f, false));
    // A failed mute read after volume down shows the readout as not muted.
    setVolume(0.5f, true);
    audioDevices.failMuteReads(true);
    EXPECT_TRUE(rules.handle(Key::volumeDown, false));
    EXPECT_EQ(shown(), Peek::volume(0.4375f, false));
}

TEST_F(ReadoutRulesHandlerTest, MuteTogglesAndAnUnreadableStateMutes)
{
    EXPECT_TRUE(rules.handle(Key::mute, false));
    EXPECT_TRUE(deviceMuted());
    EXPECT_EQ(shown(), Peek::volume(0.5f, true));
    EXPECT_TRUE(rules.handle(Key::mute, false));
    EXPECT_FALSE(deviceMuted());
    audioDevices.failMuteReads(true);
    EXPECT_TRUE(rules.handle(Key::mute, false));
    audioDevices.failMuteReads(false);
    EXPECT_TRUE(deviceMuted()) << "the read failed: the key mutes";
    EXPECT_EQ(shown(), Peek::volume(0.5f, false)) << "the second read failed too: shown not muted";
}

TEST_F(ReadoutRulesHandlerTest, KeysPassWithTheirReadoutOffOrNothingToWrite)
{
    defaults().set(settings::showVolumeHUD, false);
    EXPECT_FALSE(rules.handle(Key::volumeUp, false));
    EXPECT_FALSE(rules.handle(Key::mute, false));
    EXPECT_EQ(deviceVolume(), 0.5f);
    EXPECT_TRUE(rules.handle(Key::brightnessUp, false)) << "the brightness readout is still on";
    defaults().set(settings::showVolumeHUD, true);
    defaults().set(settings::showBrightnessHUD, false);
    EXPECT_FALSE(rules.handle(Key::brightnessDown, false));

    time.advance(2);  // the brightness readout is over
    audioDevices.refuseWrites(true);
    EXPECT_FALSE(rules.handle(Key::volumeUp, false));
    EXPECT_FALSE(rules.handle(Key::mute, false));
    EXPECT_FALSE(shown()) << "a refused write shows nothing";
    audioDevices.systemSetDefault(std::nullopt);
    time.flush();
    audioDevices.refuseWrites(false);
    EXPECT_FALSE(rules.handle(Key::volumeDown, false)) << "no output: no volume";
    EXPECT_FALSE(rules.handle(Key::mute, false));
}

TEST_F(ReadoutRulesHandlerTest, BrightnessClampsAroundTheSetterAndRecordsTheLevel)
{
    light.change(0.03f);
    EXPECT_TRUE(rules.handle(Key::brightnessDown, false));
    EXPECT_EQ(light.level(), 0.0f);
    EXPECT_EQ(rules.lastBrightness(), 0.0f);
    EXPECT_EQ(shown(), Peek::brightness(0.0f));
    light.change(0.99f);
    EXPECT_TRUE(rules.handle(Key::brightnessUp, false));
    EXPECT_EQ(light.level(), 1.0f);
    EXPECT_EQ(shown(), Peek::brightness(1.0f));
    light.present = false;
    EXPECT_FALSE(rules.handle(Key::brightnessUp, false));
}

TEST_F(ReadoutRulesHandlerTest, TheWatchShowsChangesOfAtLeastTwoHundredthsAsFloats)
{
    light.change(0.5f);
    rules.watchBrightness();
    EXPECT_EQ(rules.lastBrightness(), 0.5f);
    light.change(0.52f);  // 0.52f - 0.5f is just under 0.02f
    time.advance(SystemMonitor::pollInterval);
    EXPECT_FALSE(shown());
    EXPECT_EQ(rules.lastBrightness(), 0.52f);
    light.change(0.55f);
    time.advance(SystemMonitor::pollInterval);
    EXPECT_EQ(shown(), Peek::brightness(0.55f));

    // A key's own change is not shown a second time by the watch.
    time.advance(2);
    EXPECT_TRUE(rules.handle(Key::brightnessUp, false));
    EXPECT_EQ(shown(), Peek::brightness(0.6125f));
    time.advance(1.7);
    time.advance(SystemMonitor::pollInterval);
    EXPECT_FALSE(shown());
}

TEST_F(ReadoutRulesHandlerTest, TheWatchForgetsTheLevelWhileItsReadoutIsOff)
{
    rules.watchBrightness();
    defaults().set(settings::showBrightnessHUD, false);
    time.advance(SystemMonitor::pollInterval);
    EXPECT_FALSE(rules.lastBrightness());
    light.change(0.9f);
    time.advance(SystemMonitor::pollInterval);
    defaults().set(settings::showBrightnessHUD, true);
    time.advance(SystemMonitor::pollInterval);
    EXPECT_FALSE(shown()) << "a change made while off is never shown";
    EXPECT_EQ(rules.lastBrightness(), 0.9f);
}

TEST_F(ReadoutRulesHandlerTest, TheWatchRunsOnTheInputPollsTickWithoutATimerOfItsOwn)
{
    system.start();
    const size_t before = time.queue().pendingCount();
    light.change(0.5f);
    rules.watchBrightness();
    EXPECT_EQ(time.queue().pendingCount(), before) << "one wake-up serves both polls";
    light.change(0.6f);
    time.advance(SystemMonitor::pollInterval);
    EXPECT_EQ(shown(), Peek::brightness(0.6f));
}

TEST_F(ReadoutRulesHandlerTest, NoBacklightMeansNoWatchTimer)
{
    light.present = false;
    const size_t before = time.queue().pendingCount();
    rules.watchBrightness();
    EXPECT_EQ(time.queue().pendingCount(), before);
    EXPECT_FALSE(rules.lastBrightness());
}

TEST_F(ReadoutRulesHandlerTest, TheSyncWantsTheTapOnlyWithReplaceAndGrabsOnlyKeysWithAReadout)
{
    rules.wire();
    EXPECT_EQ(keyTap.state(), MediaKeyTap::State::off);
    EXPECT_TRUE(downloads.isSubscribed());
    defaults().set(settings::replaceSystemHUD, true);
    EXPECT_EQ(keyTap.state(), MediaKeyTap::State::armed);
    EXPECT_EQ(keyTap.wanted().size(), 5u);
    light.present = false;
    defaults().set(settings::showVolumeHUD, true);  // any settings change syncs again
    EXPECT_EQ(keyTap.wanted(), (MediaKeyTap::Keys{Key::volumeUp, Key::volumeDown, Key::mute}))
        << "no backlight: the brightness keys stay the desktop's";
    // A key press reaches the handler through the grab.
    EXPECT_EQ(keyGrab.press(mediakey::soundUp, true, 0), std::optional(true));
    EXPECT_EQ(deviceVolume(), 0.5625f);
}

TEST_F(ReadoutRulesHandlerTest, ReplacingWithoutTrustArmsTheTimerOnly)
{
    trust.permission.setState(SimAccessPermission::State::denied);
    rules.wire();
    defaults().set(settings::replaceSystemHUD, true);
    EXPECT_EQ(keyTap.state(), MediaKeyTap::State::waiting);
    EXPECT_FALSE(keyGrab.press(mediakey::soundUp, true, 0)) << "the key stays the desktop's";
    trust.permission.setState(SimAccessPermission::State::granted);
    time.advance(2.0);
    EXPECT_EQ(keyTap.state(), MediaKeyTap::State::armed);
}

TEST_F(ReadoutRulesHandlerTest, TurningDownloadsOffClearsEveryIslandWithoutAFinishedReadout)
{
    auto mirror = NotchViewModel::makeMirror(*primary);
    rules.wire();
    downloads.reportProgress(0.3);
    EXPECT_TRUE(mirror->downloadFraction().peek());
    defaults().set(settings::showDownloadActivity, false);
    EXPECT_FALSE(downloads.isSubscribed());
    EXPECT_FALSE(primary->downloadFraction().peek());
    EXPECT_FALSE(mirror->downloadFraction().peek());
    EXPECT_FALSE(shown());
}

TEST_F(ReadoutRulesHandlerTest, CallbacksDoNothingOnceTheRulesAreGone)
{
    auto gone = std::make_unique<ReadoutRules>(*primary, ReadoutSources{battery, keyTap, system, downloads}, light);
    gone->wire();
    gone.reset();
    EXPECT_FALSE(keyTap.handler(Key::volumeUp, false));
    keyboard.setCapsLock(true);
    time.advance(0.1);
    EXPECT_FALSE(shown());
}
