#include "IslandTestSupport.h"

using namespace vesk;
using vesk::test::IslandTest;

class IslandSizeTest : public IslandTest {
protected:
    IslandSizeTest() { model->updateNotch(plug(laptop()), IslandStyle::notch, false); }
    void usePill() { model->updateNotch(screens.screens().front(), IslandStyle::pill, false); }

    std::shared_ptr<NotchViewModel> model = settledPrimary();
};

TEST_F(IslandSizeTest, ClosedHoveredAndPressed)
{
    EXPECT_EQ(model->size(), (Size{185, 33}));
    model->setHovering(true);
    EXPECT_EQ(model->size(), (Size{204, 38}));
    model->isPressed = true;
    EXPECT_EQ(model->size(), (Size{194, 34}));
    EXPECT_DOUBLE_EQ(model->swellScale(), 34.0 / 33.0);
    defaults().set(settings::hoverSwell, false);
    EXPECT_EQ(model->size(), (Size{175, 29}));
}

TEST_F(IslandSizeTest, LiveActivityWidensBothSides)
{
    model->nowPlaying().track = playing("Song");
    EXPECT_EQ(model->sideWidth(), 37);
    EXPECT_EQ(model->size(), (Size{259, 33}));
    defaults().set(settings::showLiveArtwork, false);
    EXPECT_EQ(model->size(), (Size{259, 33}));
    defaults().set(settings::showVisualizer, false);
    EXPECT_EQ(model->size(), (Size{185, 33}));
}

TEST_F(IslandSizeTest, ReadoutUsesItsMeasuredWidthOnceReported)
{
    const Peek volume = Peek::volume(0.5f, false);
    model->show(volume);
    EXPECT_EQ(model->size(), (Size{327, 33}));
    model->setTrailingWidth(40, Peek::volume(0.25f, false));  // another readout's measurement
    EXPECT_EQ(model->size(), (Size{327, 33}));
    model->setTrailingWidth(40, volume);
    EXPECT_EQ(model->size(), (Size{185 + 2 * 53, 33}));
    model->setTrailingWidth(10, volume);  // narrower than the notch height: the height wins
    EXPECT_EQ(model->sideWidth(), 33);
}

TEST_F(IslandSizeTest, TextWidthsComeFromTheReadoutFont)
{
    const double width = NotchViewModel::textWidth("Connected");
    EXPECT_GT(width, 40);
    EXPECT_EQ(width, std::ceil(width));
    // Monospaced digits: every two-digit percentage is as wide as any other.
    EXPECT_EQ(NotchViewModel::textWidth("11%"), NotchViewModel::textWidth("88%"));
    model->show(Peek::device("headphones", true), 2.5);
    EXPECT_EQ(model->sideWidth(), width + 13);
}

TEST_F(IslandSizeTest, PreviewsAndTheOpenIsland)
{
    model->nowPlaying().track = playing("Song");
    model->previewTrack();
    EXPECT_EQ(model->size(), (Size{279, 74.5}));
    model->open(false);
    EXPECT_TRUE(model->mediaHeaderBesideNotch());
    EXPECT_EQ(model->size(), (Size{345, 175}));
    model->showsVolume = true;
    EXPECT_EQ(model->size(), (Size{345, 209}));
    model->turnPage(1);
    EXPECT_EQ(model->size(), (Size{345, 175}));  // the volume row is on the media page only
}

TEST_F(IslandSizeTest, WideNotchPutsTheOpenHeaderInItsOwnRow)
{
    model->updateNotch(plug({"wide", QSizeF(1512, 982), 2, QSizeF(220, 32), 37}), IslandStyle::notch, false);
    model->open(false);
    EXPECT_FALSE(model->mediaHeaderBesideNotch());
    EXPECT_EQ(model->size(), (Size{345, 189.5}));
}

TEST_F(IslandSizeTest, EventPreviewIsCappedAt460)
{
    const QString title = "A very long meeting title that goes on and on well past any sensible width";
    model->debugSetOngoing(Peek::event(title, 5, time.wallNow() + 300, QColor(Qt::red)));
    ASSERT_EQ(model->state(), NotchState::eventPreview);
    EXPECT_EQ(model->size(), (Size{460, 74.5}));
    model->debugSetOngoing(Peek::event("Design reviews!", 5, time.wallNow() + 300, QColor(Qt::red)));
    EXPECT_EQ(model->size().width, 185 + 2 * 37 + 24);  // a short text keeps the base width
}

TEST_F(IslandSizeTest, TourAndUpdateCards)
{
    Updater::shared().showReady("1.1", std::nullopt, false);
    Updater::shared().setNotes({});
    Updater::shared().setWhatsNew(std::nullopt);
    EXPECT_EQ(model->size(), (Size{400, 33 + 106}));
    Updater::shared().setNotes({"Faster start", "Fixes."});
    const double withNotes = model->size().height;
    EXPECT_GT(withNotes, 33 + 116);
    EXPECT_LE(withNotes, 33 + 116 + 3 * 16);
    Updater::shared().setNotes({});
    usePill();
    EXPECT_EQ(model->size(), (Size{400, 122}));
    model->startOnboarding(0);
    EXPECT_EQ(model->size(), (Size{460, 252}));
    Updater::shared().setPhase(Updater::Phase::idle());
}

TEST_F(IslandSizeTest, PillAddsTheRimAndHasNoHeightSwell)
{
    usePill();
    time.advance(2);  // past the show-off
    EXPECT_EQ(model->size(), (Size{124, 30}));
    model->nowPlaying().track = playing("Song");
    EXPECT_EQ(model->sideWidth(), 33);
    EXPECT_EQ(model->size(), (Size{124 + 66 + 3, 31.5}));
    model->setHovering(true);
    model->isPressed = true;
    EXPECT_EQ(model->size(), (Size{124 + 66 + 3 + 19 - 10, 27.5}));
    EXPECT_DOUBLE_EQ(model->swellScale(), 1.02);
}

TEST_F(IslandSizeTest, PillPreviewsAndOpenIsland)
{
    usePill();
    time.advance(2);
    model->nowPlaying().track = playing("Song");
    model->previewTrack();
    // 124 + 2 x (30 + 3) + 20, plus the rim.
    EXPECT_EQ(model->size(), (Size{213, 73}));
    model->debugSetOngoing(Peek::event("Design reviews!", 5, time.wallNow() + 300, QColor(Qt::red)));
    model->endTrackPreview();
    EXPECT_EQ(model->state(), NotchState::eventPreview);
    EXPECT_EQ(model->size(), (Size{124 + 66 + 24 + 3, 73}));
    model->open(false);
    EXPECT_FALSE(model->mediaHeaderBesideNotch());
    EXPECT_EQ(model->size(), (Size{345, 172.5}));
}

TEST_F(IslandSizeTest, PillReadoutMarginFollowsTheCapsuleHeight)
{
    usePill();
    time.advance(2);
    const Peek volume = Peek::volume(0.5f, false);
    model->show(volume);
    // margin 2 x max(3, round(30 x 0.2)) = 12; side max(30, 58 + 12) + 3 = 73.
    EXPECT_EQ(model->sideWidth(), 73);
    EXPECT_EQ(model->size(), (Size{124 + 146 + 3, 31.5}));
}

TEST_F(IslandSizeTest, PillBubbleCarriesTheActivityBesideALiveTrack)
{
    usePill();
    model->nowPlaying().track = playing("Song");
    model->countdown().start();
    EXPECT_EQ(model->state(), NotchState::live);
    EXPECT_EQ(model->bubble(), Peek::timer());
    model->show(Peek::capsLock(true));
    EXPECT_FALSE(model->bubble());
    time.advance(2);
    EXPECT_EQ(model->bubble(), Peek::timer());
    model->setSkipDrag(0);
    model->isActivityDismissed = true;
    EXPECT_FALSE(model->bubble());
}

TEST_F(IslandSizeTest, CapsuleTucksAwayBelowTheNotchWhenIdle)
{
    usePill();
    EXPECT_FALSE(model->isTuckedAway());  // showing off after the change
    time.advance(1.81);
    EXPECT_TRUE(model->isTuckedAway());
    model->setHovering(true);
    EXPECT_FALSE(model->isTuckedAway());
    model->setHovering(false);
    model->isMorphing = true;
    EXPECT_TRUE(model->isTuckedAway());
}
