#include "DiagnosticsTestSupport.h"

#include "Diagnostics/LayerDump.h"
#include "Kit/Palette.h"

#include <QDir>
#include <QWidget>

#include <QFile>

using namespace vesk;
using vesk::test::DiagnosticsTest;

namespace {

std::optional<IslandPage> currentPage(const NotchViewModel &m) { return m.pages().at(size_t(m.page())); }

}  // namespace

TEST_F(DiagnosticsTest, SixHooksInTheirOrderAndNothingBeforeInstalling)
{
    DebugDiagnostics diagnostics(host, {}, recordHooks());
    EXPECT_TRUE(hooks.empty());
    diagnostics.install(folder.path().toStdString());
    EXPECT_EQ(hookOrder, (std::vector<int>{SIGUSR1, SIGUSR2, SIGWINCH, SIGPWR, SIGVTALRM, SIGHUP}));
    EXPECT_EQ(hookOrder, DebugDiagnostics::hookedSignals());
    diagnostics.install(folder.path().toStdString());  // once only
    EXPECT_EQ(hookOrder.size(), 6u);
}

TEST_F(DiagnosticsTest, HooksOutlivingTheDiagnosticsDoNothing)
{
    install().reset();
    raise(SIGUSR1);
    EXPECT_FALSE(model->stateOverride.peek());
}

TEST_F(DiagnosticsTest, Usr1StepsThroughTheStatesAndBack)
{
    auto diagnostics = install();
    raise(SIGUSR1);
    EXPECT_EQ(model->stateOverride.peek(), NotchState::live);
    raise(SIGUSR1);
    EXPECT_EQ(model->stateOverride.peek(), NotchState::trackPreview);
    raise(SIGUSR1);
    EXPECT_EQ(model->stateOverride.peek(), NotchState::peek);
    // The volume at 60 % on every island, for 30 s.
    for (auto *island : {model.get(), mirror.get()}) {
        ASSERT_TRUE(island->peek.peek()) << "island without the readout";
        EXPECT_EQ(*island->peek.peek(), Peek(Peek::Volume{0.6f, false}));
    }
    time.advance(29.9);
    EXPECT_TRUE(model->peek.peek());
    raise(SIGUSR1);
    EXPECT_FALSE(model->stateOverride.peek());
    EXPECT_TRUE(model->isOpen.peek());
    EXPECT_TRUE(model->isPinnedOpen.peek());
    model->close(true);  // pinned: refused
    EXPECT_TRUE(model->isOpen.peek());
    raise(SIGUSR1);  // the fifth: the plain closed island
    EXPECT_EQ(diagnostics->usr1Step(), 0);
    EXPECT_FALSE(model->stateOverride.peek());
    EXPECT_FALSE(model->isOpen.peek());
    EXPECT_FALSE(model->isPinnedOpen.peek());
    raise(SIGUSR1);
    EXPECT_EQ(model->stateOverride.peek(), NotchState::live);
}

TEST_F(DiagnosticsTest, WinchToursTheSamplesThenTheTimerAndThePages)
{
    const double installedAt = time.wallNow();
    auto diagnostics = install();
    const auto &samples = diagnostics->samples();
    ASSERT_EQ(samples.size(), 11u);
    const std::vector<Peek::Kind> kinds = {Peek::Kind::brightness, Peek::Kind::volume,      Peek::Kind::device,
                                           Peek::Kind::focus,      Peek::Kind::capsLock,    Peek::Kind::inputSource,
                                           Peek::Kind::download,   Peek::Kind::downloadDone, Peek::Kind::event,
                                           Peek::Kind::timerDone,  Peek::Kind::battery};
    for (size_t i = 0; i < samples.size(); ++i) {
        raise(SIGWINCH);
        ASSERT_TRUE(model->peek.peek()) << "signal " << i + 1;
        EXPECT_EQ(model->peek.peek()->kind(), kinds[i]) << "signal " << i + 1;
        EXPECT_EQ(mirror->peek.peek(), model->peek.peek()) << "forwarded";
        time.advance(1);
    }
    EXPECT_EQ(samples[8], Peek(Peek::Event{"Standup", 5, installedAt + 300, kit::palette::red.toQColor()}));
    // 12: the sample is cleared at once, a 25-minute timer and debug track 0.
    raise(SIGWINCH);
    time.advance(0.02);
    EXPECT_FALSE(model->peek.peek());
    EXPECT_TRUE(model->countdown().isRunning().peek());
    EXPECT_EQ(model->countdown().duration().peek(), 1500);
    // 13: the timer page, pinned open.
    raise(SIGWINCH);
    EXPECT_TRUE(model->isOpen.peek());
    EXPECT_EQ(currentPage(*model), IslandPage::timer());
    EXPECT_TRUE(model->isPinnedOpen.peek());
    // 14: one page back, still open.
    raise(SIGWINCH);
    EXPECT_TRUE(model->isOpen.peek());
    EXPECT_EQ(currentPage(*model), IslandPage::calendar());
    // 15: the first page with the volume row; the cycle starts over.
    raise(SIGWINCH);
    EXPECT_EQ(currentPage(*model), IslandPage::media());
    EXPECT_TRUE(model->showsVolume.peek());
    EXPECT_EQ(diagnostics->winchIndex(), -1);
    // 16: brightness again, on a closed island.
    time.advance(100);
    raise(SIGWINCH);
    EXPECT_FALSE(model->isOpen.peek());
    ASSERT_TRUE(model->peek.peek());
    EXPECT_EQ(*model->peek.peek(), Peek(Peek::Brightness{0.6f}));
    // The Standup sample does not move with the later cycle.
    EXPECT_EQ(diagnostics->samples()[8], Peek(Peek::Event{"Standup", 5, installedAt + 300, kit::palette::red.toQColor()}));
}

TEST_F(DiagnosticsTest, WinchWithTheEventSwitchShowsTheLongEventInsteadOfATimer)
{
    auto diagnostics = install(env({{"VESK_DEBUG_EVENT", ""}}));
    raise(SIGWINCH, 11);
    const double now = time.wallNow();
    raise(SIGWINCH);
    ASSERT_TRUE(model->ongoing.peek());
    EXPECT_EQ(*model->ongoing.peek(), Peek(Peek::Event{"Quarterly planning with the design team", 8, now + 480,
                                                       kit::palette::purple.toQColor()}));
    EXPECT_TRUE(model->isPreviewingEvent.peek());
    EXPECT_FALSE(model->countdown().isRunning().peek());
}

TEST_F(DiagnosticsTest, PwrPinsTheHoverAndASecondOneLetsItGo)
{
    auto diagnostics = install();
    raise(SIGPWR);
    EXPECT_TRUE(model->isPinnedHovering.peek());
    EXPECT_TRUE(model->isHovering.peek());
    model->setHovering(false);  // the pointer leaving cannot end a pinned hover
    EXPECT_TRUE(model->isHovering.peek());
    raise(SIGPWR);
    EXPECT_FALSE(model->isPinnedHovering.peek());
    EXPECT_FALSE(model->isHovering.peek());
}

TEST_F(DiagnosticsTest, VtalrmNegatesTheStoredPillSetting)
{
    auto diagnostics = install();
    raise(SIGVTALRM);
    EXPECT_TRUE(defaults().value(settings::notchDisplayPill));
    raise(SIGVTALRM);
    EXPECT_FALSE(defaults().value(settings::notchDisplayPill));
}

TEST_F(DiagnosticsTest, HupTogglesTheLockOverTheColourBackdrop)
{
    auto diagnostics = install();
    EXPECT_EQ(diagnostics->backdrop(), DebugDiagnostics::Backdrop::hidden);
    raise(SIGHUP);
    EXPECT_EQ(diagnostics->backdrop(), DebugDiagnostics::Backdrop::colour);
    raise(SIGHUP);
    EXPECT_EQ(diagnostics->backdrop(), DebugDiagnostics::Backdrop::hidden);
    EXPECT_EQ(lockCalls, (std::vector<bool>{true, false}));
    // Without a lock-screen controller only the backdrop moves.
    host.setLocked = nullptr;
    auto bare = std::make_unique<DebugDiagnostics>(host, QProcessEnvironment{}, recordHooks());
    bare->install(folder.path().toStdString());
    raise(SIGHUP);
    EXPECT_EQ(bare->backdrop(), DebugDiagnostics::Backdrop::colour);
    EXPECT_EQ(lockCalls.size(), 2u);
}

TEST_F(DiagnosticsTest, Usr2WritesTheIslandFilesIntoAFolderItMakes)
{
    const std::string dir = folder.filePath("not/yet/there").toStdString();
    std::string lockPath;
    host.writeLockSnapshot = [&](const std::string &path) { lockPath = path; };
    auto diagnostics = install({}, dir);
    raise(SIGUSR2);
    const QString base = QString::fromStdString(dir) + "/";
    EXPECT_EQ(QImage(base + "island.png").size(), QSize(1520, 600));
    QFile layers(base + "layers.txt");
    ASSERT_TRUE(layers.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(layers.readAll()), LayerDump::text(tree));
    EXPECT_EQ(lockPath, dir + "/lock.png");
    // With the background: the screen under the window.
    WindowSnapshot::setGrabber([](const QRect &frame, double scale) {
        QImage screen(int(frame.width() * scale), int(frame.height() * scale), QImage::Format_RGB32);
        screen.fill(Qt::blue);
        return screen;
    });
    raise(SIGUSR2);
    EXPECT_EQ(QImage(base + "snapshot.png").pixelColor(2, 2), QColor(Qt::blue));
}

TEST_F(DiagnosticsTest, Usr2WithoutIslandOrSettingsWindowWritesNothing)
{
    hasIsland = false;
    auto diagnostics = install();
    raise(SIGUSR2);
    time.advance(1);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(DiagnosticsTest, Usr2BringsTheSettingsWindowForwardAndGrabsItHalfASecondLater)
{
    QWidget window;
    window.resize(300, 200);
    int raised = 0;
    host.settingsWindow = [&] { return &window; };
    host.raiseSettings = [&] {
        ++raised;
        window.show();
    };
    auto diagnostics = install();
    raise(SIGUSR2);
    EXPECT_EQ(raised, 1);
    const QString path = folder.filePath("settings.png");
    time.advance(0.49);
    EXPECT_FALSE(QFile::exists(path));
    time.advance(0.02);
    EXPECT_FALSE(QImage(path).isNull());
    // Hidden by then: nothing new is written.
    QFile::remove(path);
    raise(SIGUSR2);
    window.hide();
    time.advance(0.5);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(DebugPlaySwitch, OnlyASignAndDigitsInRangeMakeATrackNumber)
{
    EXPECT_EQ(DebugDiagnostics::parsePlay("-1"), -1);
    EXPECT_EQ(DebugDiagnostics::parsePlay("+2"), 2);
    EXPECT_EQ(DebugDiagnostics::parsePlay("0"), 0);
    EXPECT_EQ(DebugDiagnostics::parsePlay("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(DebugDiagnostics::parsePlay("-9223372036854775808"), LLONG_MIN);
    for (const char *bad : {"", "2x", " 2", "2 ", "+", "-", "--1", "9223372036854775808", "-9223372036854775809",
                            "1e3", "0x10", "٣"})
        EXPECT_EQ(DebugDiagnostics::parsePlay(QString::fromUtf8(bad)), std::nullopt) << bad;
}
