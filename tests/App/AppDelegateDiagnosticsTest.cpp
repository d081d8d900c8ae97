#include "App/AppDelegate.h"
#include "Diagnostics/DebugBackdrop.h"
#include "Diagnostics/DebugDiagnostics.h"
#include "Platform/sim/SimPowerSupply.h"
#include "Platform/sim/SimScreenLock.h"

#include "Model/IslandTestSupport.h"
#include "SignalSupport.h"
#include "Model/RecordingIslandSupport.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>

using namespace vesk;
using vesk::test::PlatformTest;
using vesk::test::RecordingFactory;

namespace {

class AppDelegateDiagnosticsTest : public PlatformTest {
protected:
    AppDelegateDiagnosticsTest()
    {
        setScreenLock(&lock);
        setPowerSupply(&power);
        plug(laptop());
    }
    ~AppDelegateDiagnosticsTest() override
    {
        setScreenLock(nullptr);
        setPowerSupply(nullptr);
    }
    std::unique_ptr<AppDelegate> launch(QProcessEnvironment env)
    {
        env.insert("HOME", "/nonexistent");
        auto app = std::make_unique<AppDelegate>(factory, env);
        app->terminate = [] {};
        app->startUpdater = [] {};
        app->applicationDidFinishLaunching();
        time.flush();  // the diagnostics come last, after the islands' first appearance
        return app;
    }

    SimScreenLock lock;
    SimPowerSupply power;
    RecordingFactory factory;
};

}  // namespace

TEST_F(AppDelegateDiagnosticsTest, OnlyTheDiagnosticsFolderInstallsThem)
{
    auto plain = launch({});
    EXPECT_FALSE(plain->diagnostics());
    plain.reset();
    QProcessEnvironment env;
    env.insert("VESK_DEBUG_DIR", "");  // any value, the empty one included
    auto app = launch(env);
    ASSERT_TRUE(app->diagnostics());
    EXPECT_TRUE(app->diagnostics()->isInstalled());
}

TEST_F(AppDelegateDiagnosticsTest, TheProcessCatchesTheSixSignalsAndEachDeliveryIsAStep)
{
    QProcessEnvironment env;
    env.insert("VESK_DEBUG_DIR", "/nonexistent/snapshots");
    auto app = launch(env);
    for (int sig : DebugDiagnostics::hookedSignals())
        EXPECT_TRUE(vesk::test::catchesSignal(0, sig)) << "signal " << sig;
    ::raise(SIGUSR1);
    QCoreApplication::processEvents();
    EXPECT_EQ(app->model().stateOverride.peek(), NotchState::live);
    ::raise(SIGUSR1);
    QCoreApplication::processEvents();
    EXPECT_EQ(app->model().stateOverride.peek(), NotchState::trackPreview);
}

TEST_F(AppDelegateDiagnosticsTest, BackdropsSitAtTheBottomCentreOfTheMainScreen)
{
    const QRect screen = screens.screens().front().frame.toRect();
    const int midX = screen.x() + screen.width() / 2, bottom = screen.y() + screen.height();
    auto colour = AppDelegate::makeDebugBackdrop(false);
    EXPECT_EQ(colour->frame(), QRect(midX - 320, bottom - 560, 640, 520));
    EXPECT_FALSE(colour->isVisible());
    auto mono = AppDelegate::makeDebugBackdrop(true);
    EXPECT_EQ(mono->frame(), QRect(midX - 460, bottom - 600, 920, 600));
}
