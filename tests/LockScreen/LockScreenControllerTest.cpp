// The lock-screen controller on the virtual clock: the order of a lock's steps, the padlock's and
// the card's delays, where the windows go, and when they may be on the screen.
#include "LockScreenTestSupport.h"

#include "Diagnostics/WindowSnapshot.h"
#include "LockScreen/LockScreenView.h"
#include "NowPlaying/Views/AudioBars.h"

#include <QFileInfo>
#include <QTemporaryDir>

using namespace vesk;
using kit::Animation;
using kit::Loop;
using Indicator = NotchViewModel::LockIndicator;

namespace {

class LockController : public test::LockScreenTest {
protected:
    void SetUp() override
    {
        plug(laptop());
        start();
    }
};

}  // namespace

TEST_F(LockController, BothWindowsAreMadeOnTheNextTurnAndDrawNothing)
{
    plug(laptop("eDP-2"));
    model = settledPrimary();
    int made = 0;
    LockScreenController later(*model, [&] {
        ++made;
        return std::make_unique<SimPanelWindow>();
    });
    EXPECT_EQ(made, 0);
    EXPECT_EQ(later.padlockPanel(), nullptr);
    time.flush();
    EXPECT_EQ(made, 2);
    ASSERT_TRUE(later.padlockPanel() && later.cardPanel());
    EXPECT_FALSE(later.padlockPanel()->isOnScreen());
    EXPECT_FALSE(later.cardPanel()->isOnScreen());
    EXPECT_TRUE(later.cardPanel()->ignoresMouse());
}

TEST_F(LockController, ALockPlaysTellsTheAppShowsThePadlockAndWantsTheCardAMomentLater)
{
    std::vector<std::string> steps;
    controller->onLockedChange = [&](bool locked) {
        steps.push_back(std::string(locked ? "locked" : "unlocked") + " after " + std::to_string(player.plays.size()));
    };
    controller->setLocked(true, true);
    ASSERT_EQ(steps, std::vector<std::string>{"locked after 1"}) << "the sound comes first";
    EXPECT_EQ(player.plays.at(0).stream, "lock");
    EXPECT_EQ(model->lockIndicator.peek(), Indicator::locked);
    EXPECT_FALSE(card().ignoresPointer()) << "the card takes the mouse at once";
    time.advance(0.149);
    EXPECT_FALSE(model->isScreenLocked.peek());
    time.advance(0.001);
    EXPECT_TRUE(model->isScreenLocked.peek());

    controller->setLocked(false, true);
    EXPECT_EQ(steps.back(), "unlocked after 2");
    EXPECT_EQ(player.plays.at(1).stream, "unlock");
    EXPECT_FALSE(model->isScreenLocked.peek()) << "at once";
    EXPECT_TRUE(card().ignoresPointer());
    EXPECT_EQ(model->lockIndicator.peek(), Indicator::unlocking);
    time.advance(1.098);
    EXPECT_EQ(model->lockIndicator.peek(), Indicator::unlocking);
    time.advance(0.002);
    EXPECT_EQ(model->lockIndicator.peek(), Indicator::hidden);
}

TEST_F(LockController, SettingsTurnOffTheSoundThePadlockAndTheCard)
{
    defaults().set(settings::lockScreenPreview, false);
    controller->setLocked(true, true);
    time.advance(1);
    EXPECT_EQ(player.plays.size(), 1u) << "the sound still plays";
    EXPECT_EQ(model->lockIndicator.peek(), Indicator::locked);
    EXPECT_FALSE(model->isScreenLocked.peek()) << "never wanted";
    EXPECT_TRUE(card().ignoresPointer());
    controller->setLocked(false, true);

    defaults().set(settings::lockSounds, false);
    defaults().set(settings::lockShowIndicator, false);
    time.advance(2);
    const size_t pending = mainQueue().pendingCount();
    controller->setLocked(true, true);
    controller->setLocked(false, true);
    EXPECT_EQ(player.plays.size(), 2u) << "only the first lock and unlock sounded";
    EXPECT_EQ(model->lockIndicator.peek(), Indicator::hidden);
    EXPECT_LE(mainQueue().pendingCount(), pending + 1) << "an unlock of a hidden padlock schedules no hiding";

    defaults().set(settings::lockSounds, true);
    controller->setLocked(true, false);
    EXPECT_EQ(player.plays.size(), 2u) << "the diagnostics lock silently";
}

TEST_F(LockController, RepeatsRunEverythingAgainAndCancelThePendingSteps)
{
    controller->setLocked(true, true);
    time.advance(0.1);
    controller->setLocked(true, true);
    EXPECT_EQ(player.plays.size(), 2u) << "no deduplication";
    time.advance(0.1);
    EXPECT_FALSE(model->isScreenLocked.peek()) << "the delay began again";
    time.advance(0.05);
    EXPECT_TRUE(model->isScreenLocked.peek());

    // Unlocking within the delay: the card never comes.
    controller->setLocked(false, true);
    controller->setLocked(true, true);
    time.advance(0.1);
    controller->setLocked(false, true);
    time.advance(1);
    EXPECT_FALSE(model->isScreenLocked.peek());

    // Locking within the padlock's 1.1 s keeps it locked.
    controller->setLocked(true, true);
    time.advance(2);
    EXPECT_EQ(model->lockIndicator.peek(), Indicator::locked);
}

TEST_F(LockController, TheSessionsLockDrivesTheControllerOncePerChange)
{
    int changes = 0;
    controller->onLockedChange = [&](bool) { ++changes; };
    session.setLocked(true);
    session.setLocked(true);
    time.flush();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(LockSounds::playedText(), "lock:built-in");
    session.setLocked(false);
    time.flush();
    EXPECT_EQ(LockSounds::playedText(), "lock:built-in,unlock:built-in");
}

TEST_F(LockController, WindowsGoToTheirPlacesAndTheCardMovesAtEveryLock)
{
    // The laptop: 1512 x 982 points at scale 2, the top of the desktop.
    ASSERT_TRUE(controller->padlockPanel()->frame());
    EXPECT_EQ(*controller->padlockPanel()->frame(), QRectF(756 - 210, 0, 420, 80));
    EXPECT_EQ(padlock().frame(), QRect(2 * 546, 0, 840, 160)) << "device pixels";
    // Bottom edge 982 x 0.225 - 34 = 186.95 points above the screen's bottom.
    const QRectF card = *controller->cardPanel()->frame();
    EXPECT_DOUBLE_EQ(card.bottom(), 982 - 186.95);
    EXPECT_EQ(card.size(), QSizeF(400, 240));
    EXPECT_DOUBLE_EQ(card.center().x(), 756);

    defaults().set(settings::lockScreenPosition, 0.5);
    EXPECT_DOUBLE_EQ(controller->cardPanel()->frame()->bottom(), 982 - 186.95) << "not before the next lock";
    controller->setLocked(true, false);
    EXPECT_DOUBLE_EQ(controller->cardPanel()->frame()->bottom(), 982 - (491 - 34.0));
}

TEST_F(LockController, TheFramesFollowTheYUpRulesOnAnyScreen)
{
    Screen tall;
    tall.frame = QRectF(0, 0, 1728, 1117);
    EXPECT_NEAR(1117 - LockScreenController::widgetFrame(tall, 0.225).bottom(), 217.325, 1e-9);
    EXPECT_EQ(LockScreenController::widgetFrame(tall, 0.225), LockScreenController::widgetFrame(tall, std::nan("")))
        << "a position that is not a number counts as the default";
    EXPECT_NEAR(1117 - LockScreenController::widgetFrame(tall, -2).bottom(), -2234 - 34, 1e-9)
        << "finite values are used as they are";
    EXPECT_TRUE(std::isfinite(LockScreenController::widgetFrame(tall, INFINITY).y()));
}

TEST_F(LockController, ThePadlockGoesToTheNotchedScreenEvenWhenItIsNotTheMainOne)
{
    plug(external());
    screens.makePrimary("DP-1");
    time.flush();
    controller->setLocked(true, false);
    const auto laptopScreen = *screens.screen(screens.screens().at(1).displayNumber);
    EXPECT_DOUBLE_EQ(controller->padlockPanel()->frame()->center().x(), laptopScreen.frame.center().x());
    EXPECT_DOUBLE_EQ(controller->cardPanel()->frame()->center().x(), screens.screens().at(0).frame.center().x())
        << "the card takes the main screen";
}

TEST_F(LockController, NothingIsOnTheScreenWhileTheSessionIsLocked)
{
    play();
    session.setLocked(true);
    time.advance(1);
    EXPECT_TRUE(model->isScreenLocked.peek());
    EXPECT_EQ(model->lockIndicator.peek(), Indicator::locked);
    EXPECT_FALSE(padlock().isVisible());
    EXPECT_FALSE(card().isVisible());

    // After the real unlock the padlock springs open and fades; the card stays away.
    session.setLocked(false);
    time.flush();
    EXPECT_TRUE(padlock().isVisible());
    EXPECT_FALSE(card().isVisible());
    double gone = 0;
    for (double t = 0; t < 3 && padlock().isVisible(); t += 0.05) {
        time.advance(0.05);
        gone = t + 0.05;
        EXPECT_FALSE(card().isVisible());
    }
    EXPECT_FALSE(padlock().isVisible());
    EXPECT_GT(gone, 1.1 + 0.3) << "the fade begins 0.35 s after the padlock hides";
    EXPECT_LT(gone, 2.0);
}

TEST_F(LockController, ASimulatedLockShowsBothAndTheCardLeavesThroughItsHide)
{
    controller->setLocked(true, false);
    time.advance(0.5);
    EXPECT_TRUE(padlock().isVisible());
    EXPECT_FALSE(card().isVisible()) << "nothing plays: no card";
    play();
    time.advance(0.5);
    EXPECT_TRUE(card().isVisible());
    EXPECT_GT(card().contentUpdates, 0);

    controller->setLocked(false, false);
    time.flush();
    EXPECT_TRUE(card().isVisible()) << "it hides on the screen";
    time.advance(3);
    EXPECT_FALSE(card().isVisible());
    EXPECT_FALSE(padlock().isVisible());

    // A real lock takes both off at once, whatever they were doing.
    controller->setLocked(true, false);
    time.advance(0.5);
    ASSERT_TRUE(card().isVisible());
    session.setLocked(true);
    time.flush();
    EXPECT_FALSE(card().isVisible());
    EXPECT_FALSE(padlock().isVisible());
}

TEST_F(LockController, SnapshotsWriteOnlyWhatShows)
{
    QTemporaryDir dir;
    const std::string card = (dir.path() + "/lock.png").toStdString();
    controller->writeSnapshot(card);
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << "unlocked with the padlock hidden: nothing";

    play();
    controller->setLocked(true, false);
    controller->writeSnapshot(card);
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/lock-notch.png"));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/lock.png")) << "the card is not wanted yet";
    time.advance(0.2);
    controller->writeSnapshot(card);
    EXPECT_EQ(QImage(dir.path() + "/lock.png").size(), QSize(800, 480));
}

TEST_F(LockController, TheCardsSnapshotWhileTheSessionIsLockedBouncesTheBarsWithTheClock)
{
    // The card's window is off the screen while the session is locked; its snapshot shows what
    // it would show, the visualiser's bars at the heights their loops give at that instant.
    play();
    session.setLocked(true);
    time.advance(2);
    ASSERT_TRUE(model->isScreenLocked.peek());
    ASSERT_FALSE(controller->cardPanel()->isOnScreen());

    constexpr double scale = 2;
    auto barHeights = [&] {
        WindowSnapshot::Window window = controller->cardPanel()->snapshotWindow();
        window.scale = scale;
        const QImage image = WindowSnapshot::image(window, false);
        // The card sits centred; its top is the first opaque row down the middle.
        int top = 0;
        while (top < image.height() && qAlpha(image.pixel(image.width() / 2, top)) < 200)
            ++top;
        // Six 2-point bars, 2 apart, in a 22 x 16 box 16 points in from the card's top-right
        // corner and centred on the 52-point artwork beside it.
        const double boxLeft = (400 + LockScreenView::cardWidth) / 2 - 16 - 22;
        const double boxTop = top / scale + 16 + (52 - 16) / 2.0;
        std::vector<double> heights;
        for (int i = 0; i < 6; ++i) {
            const int x = int((boxLeft + AudioBars::centre(2, i)) * scale);
            int rows = 0;
            for (int y = int((boxTop - 2) * scale); y < int((boxTop + 18) * scale); ++y)
                rows += qGray(image.pixel(x, y)) > 128;
            heights.push_back(rows / scale);
        }
        return heights;
    };
    for (const double t : {2.3, 2.55, 2.8}) {
        time.advance(t - time.now());
        SCOPED_TRACE(t);
        const std::vector<double> heights = barHeights();
        for (int i = 0; i < 6; ++i) {
            const double expected = Loop::between(AudioBars::restHeight, 16, AudioBars::period(i), Animation::Kind::easeInOut,
                                                  true, AudioBars::loopPhase)
                                        .value(time.now());
            EXPECT_NEAR(heights[i], expected, 1.0) << "bar " << i;
        }
        EXPECT_GT(*std::max_element(heights.begin(), heights.end()), AudioBars::restHeight + 4);
    }
}

TEST_F(LockController, TheShownCardTakesClicksOnlyOverItself)
{
    play();
    controller->setLocked(true, false);
    time.advance(1);
    ASSERT_TRUE(card().isVisible());
    const QRectF frame = controller->cardFrame();
    ASSERT_GT(frame.width(), 0) << "the card reported where it is";
    // The laptop is at scale 2: the window's input area is the card, in device pixels.
    EXPECT_EQ(card().shapeRegion().boundingRect(), QRectF(frame.topLeft() * 2, frame.size() * 2).toAlignedRect());

    // The play/pause button sits at the middle of the controls row, near the card's bottom.
    const QPointF button(frame.center().x() * 2, (frame.bottom() - 9 - 21) * 2);
    card().pointer({PanelPointerEvent::Kind::move, 0, button, 0});
    card().pointer({PanelPointerEvent::Kind::press, 1, button, 0});
    card().pointer({PanelPointerEvent::Kind::release, 1, button, 0});
    time.flush();
    ASSERT_TRUE(model->nowPlaying().track.peek());
    EXPECT_FALSE(model->nowPlaying().track.peek()->isPlaying) << "the click paused the track";
}
