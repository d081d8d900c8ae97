#include "App/AppDelegate.h"
#include "App/SettingsHost.h"
#include "Settings/SettingsWindow.h"
#include "Model/ReadoutRules.h"
#include "LockScreen/LockScreenController.h"
#include "Platform/sim/SimPowerSupply.h"
#include "Platform/sim/SimClipPlayer.h"
#include "Platform/sim/SimScreenLock.h"

#include "Model/IslandTestSupport.h"
#include "Model/RecordingIslandSupport.h"
#include "TestSupport.h"

using namespace vesk;
using vesk::test::PlatformTest;
using vesk::test::RecordingFactory;
using vesk::test::RecordingWindow;

class AppDelegateTest : public PlatformTest {
protected:
    AppDelegateTest()
    {
        setScreenLock(&lock);
        setPowerSupply(&power);
        plug(laptop());
    }
    ~AppDelegateTest() override
    {
        setScreenLock(nullptr);
        setPowerSupply(nullptr);
    }

    std::unique_ptr<AppDelegate> launch(QProcessEnvironment env = {})
    {
        env.insert("HOME", "/nonexistent");
        auto app = std::make_unique<AppDelegate>(factory, env);
        app->terminate = [this] { terminatedAt = time.now(); };
        app->startUpdater = [this] { updaterStartedAt = time.now(); };
        app->applicationDidFinishLaunching();
        time.flush();  // the services start once the islands have first appeared
        return app;
    }
    // The tour page the primary island shows, -1 for none.
    static int tourPage(const AppDelegate &app) { return app.model().onboardingPage().peek().value_or(-1); }

    SimScreenLock lock;
    SimClipPlayer sounds;
    SimPowerSupply power;
    RecordingFactory factory;
    test::CapturedLog log;
    std::optional<double> terminatedAt;
    std::optional<double> updaterStartedAt;
};

TEST_F(AppDelegateTest, FirstLaunchAsksForTheTourAfterAPause)
{
    auto app = launch();
    time.advance(0.59);
    EXPECT_EQ(tourPage(*app), -1);
    time.advance(0.01);
    EXPECT_EQ(tourPage(*app), 0);
    app->model().finishOnboarding();
    EXPECT_TRUE(defaults().value(SettingsHost::hasSeenOnboarding));
}

TEST_F(AppDelegateTest, NoTourWithDiagnosticsOrOnceSeen)
{
    QProcessEnvironment env;
    env.insert("VESK_DEBUG_DIR", "/tmp/snapshots");
    {
        auto app = launch(env);
        time.advance(2);
        EXPECT_EQ(tourPage(*app), -1);
    }
    defaults().set(SettingsHost::hasSeenOnboarding, true);
    auto app = launch();
    time.advance(2);
    EXPECT_EQ(tourPage(*app), -1);
}

TEST_F(AppDelegateTest, TheTourStartsAtTheDebugPageAndClosesTheSettingsWindow)
{
    for (const auto &[value, page] : std::vector<std::pair<QString, int>>{{"3", 3}, {"+2", 2}, {"x", 0}, {"", 0}}) {
        QProcessEnvironment env;
        env.insert("VESK_DEBUG_ONBOARDING", value);
        defaults().set(SettingsHost::hasSeenOnboarding, true);
        auto app = launch(env);
        app->showSettings();
        app->showSettings();
        ASSERT_NE(app->settings().settingsWindow(), nullptr);
        app->showOnboarding();
        EXPECT_EQ(tourPage(*app), page) << value.toStdString();
        time.flush();
        EXPECT_EQ(app->settings().settingsWindow(), nullptr);
    }
}

TEST_F(AppDelegateTest, UpdaterStartsFiveSecondsAfterLaunchAndIslandsAreLaidOutAtOnce)
{
    auto app = launch();
    ASSERT_EQ(factory.made.size(), 1u);  // the layout ran during launch
    EXPECT_NE(app->islandLayout(), "");
    time.advance(4.99);
    EXPECT_FALSE(updaterStartedAt);
    time.advance(0.01);
    ASSERT_TRUE(updaterStartedAt);
    EXPECT_DOUBLE_EQ(*updaterStartedAt, 5.0);
}

TEST_F(AppDelegateTest, TheServicesStartAfterTheIslandsFirstAppear)
{
    // A window factory whose islands queue their first appearance as they are made, as the real
    // windows do, and note what had started by then.
    struct AppearingFactory final : IslandWindowFactory {
        std::shared_ptr<IslandWindow> makeIsland(std::shared_ptr<NotchViewModel> model, uint32_t display,
                                                 IslandStyle style) override
        {
            appearances.push_back(mainQueue().after(0, [this] {
                servicesStartedWhenShown = app->system().isStarted() || audio->starts > 0;
            }));
            return inner.makeIsland(std::move(model), display, style);
        }
        RecordingFactory inner;
        AppDelegate *app = nullptr;
        const SimAudioDevices *audio = nullptr;
        std::vector<WorkItem> appearances;
        std::optional<bool> servicesStartedWhenShown;
    } windows;
    AppDelegate app(windows);
    windows.app = &app;
    windows.audio = &audioDevices;
    app.startUpdater = [] {};
    app.applicationDidFinishLaunching();
    EXPECT_EQ(windows.inner.made.size(), 1u) << "the islands are laid out at once";
    EXPECT_FALSE(app.system().isStarted());
    time.flush();
    EXPECT_EQ(windows.servicesStartedWhenShown, false);
    EXPECT_TRUE(app.system().isStarted());
    EXPECT_EQ(audioDevices.starts, 1) << "the sound server is reached only now";
    EXPECT_TRUE(app.keyTap().handler) << "the rest ran, in its order, on the same turn";
}

TEST_F(AppDelegateTest, ScreenChangesReplaceKeptIslandsEvenWithAnUnchangedLayout)
{
    auto app = launch();
    const int before = factory.made[0]->repositions;
    screens.screensChanged();
    EXPECT_GT(factory.made[0]->repositions, before);
    EXPECT_EQ(factory.made.size(), 1u);
}

TEST_F(AppDelegateTest, LockingHidesAndClosesEveryIslandAndUnlockingBringsThemBack)
{
    defaults().set(settings::externalDisplayStyle, "notch");
    plug(external());
    auto app = launch();
    ASSERT_EQ(factory.made.size(), 2u);
    app->model().open(false);
    EXPECT_TRUE(app->model().isOpen.peek());

    lock.setLocked(true);
    time.flush();
    EXPECT_FALSE(app->model().isOpen.peek());
    EXPECT_EQ(sounds.plays.size(), 1u) << "the lock sound";
    time.advance(0.15);
    EXPECT_TRUE(app->model().isScreenLocked.peek()) << "the card is wanted a moment after locking";
    for (auto &w : factory.made)
        EXPECT_TRUE(w->hidden);

    // A display plugged in while locked gets an island that stays hidden until unlock.
    plug(external("HDMI-2"));
    time.flush();
    ASSERT_EQ(factory.made.size(), 3u);
    EXPECT_TRUE(factory.made[2]->hidden);

    const int repositions = factory.made[0]->repositions;
    lock.setLocked(false);
    time.flush();
    for (auto &w : factory.made)
        EXPECT_FALSE(w->hidden);
    EXPECT_GT(factory.made[0]->repositions, repositions);
}

TEST_F(AppDelegateTest, VolumeReadoutFollowsItsSetting)
{
    auto app = launch();
    time.advance(1);
    defaults().set(settings::showVolumeHUD, false);
    app->showVolume(0.5f, false);
    EXPECT_FALSE(app->model().peek.peek());
    defaults().set(settings::showVolumeHUD, true);
    app->showVolume(0.5f, false);
    ASSERT_TRUE(app->model().peek.peek());
    EXPECT_EQ(*app->model().peek.peek(), Peek::volume(0.5f, false));
}

TEST_F(AppDelegateTest, SystemVolumeChangesReachEveryIslandWithoutForwarding)
{
    audioDevices.systemSetOutputs({{AudioDevice{1, "Built-in Speakers", AudioTransport::builtin}, 0.2f, false}});
    audioDevices.systemSetDefault(1u);
    defaults().set(settings::externalDisplayStyle, "notch");
    plug(external());
    auto app = launch();
    time.advance(1);
    ASSERT_EQ(factory.made.size(), 2u);
    EXPECT_FLOAT_EQ(app->model().volumeLevel.peek(), 0.2f);
    audioDevices.systemSetVolume(1, 0.7f, false);
    time.flush();
    for (auto &w : factory.made) {
        ASSERT_TRUE(w->model().peek.peek());
        EXPECT_EQ(*w->model().peek.peek(), Peek::volume(0.7f, false));
    }
}

TEST_F(AppDelegateTest, QuitGracefullyClosesIslandsThenTerminates)
{
    auto app = launch();
    app->quitGracefully();
    EXPECT_TRUE(factory.made[0]->closed);
    time.advance(0.39);
    EXPECT_FALSE(terminatedAt);
    time.advance(0.01);
    ASSERT_TRUE(terminatedAt);
}

TEST_F(AppDelegateTest, SettingsChangesDecideTheDownloadMonitorAndKeyTap)
{
    auto app = launch();
    EXPECT_TRUE(app->downloads().isSubscribed());
    EXPECT_EQ(app->keyTap().state(), MediaKeyTap::State::off);
    defaults().set(settings::replaceSystemHUD, true);
    EXPECT_EQ(app->keyTap().state(), MediaKeyTap::State::armed);
    EXPECT_TRUE(app->keyTap().holds(MediaKeyTap::Key::brightnessDown));
    defaults().set(settings::showVolumeHUD, false);
    EXPECT_FALSE(app->keyTap().holds(MediaKeyTap::Key::volumeUp));  // handed back to the desktop
    EXPECT_TRUE(keyGrab.isHeld(mediakey::brightnessUp));
    defaults().set(settings::showBrightnessHUD, false);
    EXPECT_EQ(app->keyTap().state(), MediaKeyTap::State::off);
    EXPECT_FALSE(keyGrab.isHeld(mediakey::brightnessUp));
    defaults().set(settings::showDownloadActivity, false);
    EXPECT_FALSE(app->downloads().isSubscribed());
}

TEST_F(AppDelegateTest, ReadoutRulesReadTheirSettingsAndDurations)
{
    power.set(BatteryReading{21, false});
    auto app = launch();
    time.advance(1);
    defaults().set(settings::hudDuration, 1.0);
    power.set(BatteryReading{20, true});
    ASSERT_TRUE(app->model().peek.peek());
    time.advance(2.9);  // at least 3 s, whatever hudDuration says
    EXPECT_TRUE(app->model().peek.peek());
    time.advance(0.2);
    EXPECT_FALSE(app->model().peek.peek());

    defaults().set(settings::showLowBatteryPeek, false);
    defaults().set(settings::showChargingPeek, false);
    power.set(BatteryReading{19, false});
    defaults().set(settings::showChargingPeek, true);
    power.set(BatteryReading{5, false});
    EXPECT_FALSE(app->model().peek.peek());

    app->downloads().reportProgress(0.5);
    EXPECT_EQ(app->model().downloadFraction().peek(), std::optional<std::optional<double>>(0.5));
    app->downloads().reportEnd(true);
    EXPECT_FALSE(app->model().downloadFraction().peek());
    ASSERT_TRUE(app->model().peek.peek());
    EXPECT_EQ(*app->model().peek.peek(), Peek::downloadDone());
}

TEST(ReadoutRulesTest, LongInputSourceNamesAreCutBySeenCharacters)
{
    EXPECT_EQ(ReadoutRules::shortInputSourceName("ABC"), "ABC");
    const QString twentyTwo(22, QChar('x'));
    EXPECT_EQ(ReadoutRules::shortInputSourceName(twentyTwo), twentyTwo);
    EXPECT_EQ(ReadoutRules::shortInputSourceName(QString(23, QChar('y'))), QString(21, QChar('y')) + "…");
    // Accented letters written as two code points count once each.
    QString decomposed;
    for (int i = 0; i < 23; ++i)
        decomposed += QString("e\u0301");
    const auto cut = ReadoutRules::shortInputSourceName(decomposed);
    EXPECT_EQ(cut.size(), 21 * 2 + 1);
}
