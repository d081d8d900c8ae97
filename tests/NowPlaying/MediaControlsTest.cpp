// The media page's own controls: the scrolling title, the extra and output buttons, the volume
// row and the scrubber, drawn in Kit trees on the virtual clock against the simulated services.
#include "NowPlaying/Views/ExtraButton.h"
#include "NowPlaying/Views/MarqueeText.h"
#include "NowPlaying/Views/OutputPicker.h"
#include "NowPlaying/Views/ScrubberView.h"
#include "NowPlaying/Views/VolumeSlider.h"

#include "Island/IslandHover.h"
#include "Island/KitNodeSupport.h"
#include "Kit/Kit.h"
#include "Model/Defaults.h"
#include "Model/IslandTestSupport.h"

#include <functional>

using namespace kit;
using namespace vesk;

namespace {

class MediaControls : public test::PlatformTest {
protected:
    void SetUp() override { model = settledPrimary(); }

    void show(Element content, QSizeF size)
    {
        tree = std::make_unique<Tree>(size);
        tree->setRoot(std::move(content).environment(islandModel, model.get()));
        time.advance(0.01);
    }
    std::optional<DrawnItem> control(const QString &name) const
    {
        for (const DrawnItem &i : drawnItems(*tree))
            if (i.kind == DrawnItem::Kind::control && i.isVisible() && i.text == name)
                return i;
        return std::nullopt;
    }
    std::vector<QString> visible(DrawnItem::Kind kind) const
    {
        std::vector<QString> out;
        for (const DrawnItem &i : drawnItems(*tree))
            if (i.kind == kind && i.isVisible())
                out.push_back(i.text);
        return out;
    }
    std::vector<QString> visibleTexts() const { return visible(DrawnItem::Kind::text); }
    std::vector<QString> visibleSymbols() const { return visible(DrawnItem::Kind::symbol); }
    // The point at `fraction` of a control's width, on its middle line.
    static QPointF at(const DrawnItem &item, double fraction)
    {
        return {item.rect.left() + fraction * item.rect.width(), item.rect.center().y()};
    }
    void press(QPointF p)
    {
        tree->handlePointer(PointerEvent::move(p));
        tree->handlePointer(PointerEvent::press(p));
        time.flush();
    }
    void moveTo(QPointF p)
    {
        tree->handlePointer(PointerEvent::move(p));
        time.flush();
    }
    void release(QPointF p)
    {
        tree->handlePointer(PointerEvent::release(p));
        time.flush();
    }
    void click(QPointF p)
    {
        press(p);
        release(p);
    }
    std::vector<const Node *> loopingNodes() const
    {
        std::vector<const Node *> found;
        std::function<void(const Node *)> walk = [&](const Node *node) {
            if (node->runningLoops())
                found.push_back(node);
            for (const auto &c : node->children())
                walk(c.get());
        };
        walk(tree->root());
        return found;
    }
    Track track(double duration, double elapsed, bool isPlaying = true)
    {
        Track t = playing("Song");
        t.duration = duration;
        t.elapsed = elapsed;
        t.timestamp = time.wallNow();
        t.isPlaying = isPlaying;
        return t;
    }

    std::shared_ptr<NotchViewModel> model;
    std::unique_ptr<Tree> tree;
};

}  // namespace

// ---- Scrolling title -----------------------------------------------------------------------------

TEST(MarqueeLayout, FitsOverflowsAndScrolls)
{
    // Fits: shown once, untruncated, no mask, whatever the wish.
    auto fits = MarqueeText::layout(79.2, 100, true);
    EXPECT_EQ(fits.tw, 80);
    EXPECT_FALSE(fits.scrolls || fits.truncated || fits.masked);
    EXPECT_EQ(fits.copyWidth, 82);
    // Exactly as wide as the slot: the test is strictly wider, so it stands still.
    auto exact = MarqueeText::layout(99.4, 100, true);
    EXPECT_FALSE(exact.scrolls || exact.masked);
    // Wider but not allowed to scroll: an ellipsis at the slot's width, and the edge fade.
    auto cut = MarqueeText::layout(150.3, 100, false);
    EXPECT_TRUE(cut.truncated && cut.masked);
    EXPECT_FALSE(cut.scrolls);
    EXPECT_EQ(cut.copyWidth, 100);
    // Wider and allowed: untruncated copies one period apart.
    auto moving = MarqueeText::layout(150.3, 100, true);
    EXPECT_TRUE(moving.scrolls && moving.masked);
    EXPECT_FALSE(moving.truncated);
    EXPECT_EQ(moving.copyWidth, 153);
    EXPECT_EQ(moving.period, 151 + 36);
}

TEST(MarqueeLayout, ATwoHundredPointTitleLoopsInTenPointFourThreeSeconds)
{
    const auto timing = MarqueeText::timing(200 + 36);
    EXPECT_NEAR(timing.total, 10.43, 0.005);
    EXPECT_NEAR(timing.p, 2 / timing.total, 1e-12);
    const Loop offset = MarqueeText::offsetLoop(236, 100);
    EXPECT_DOUBLE_EQ(offset.cycle(), timing.total);
    EXPECT_DOUBLE_EQ(offset.value(100 + 1.9), 0);                 // the pause
    EXPECT_NEAR(offset.value(100 + 2 + 1), -28, 1e-6);            // 28 points a second
    EXPECT_NEAR(offset.value(100 + timing.total - 1e-6), -236, 1e-3);  // the copy stands at the start
    EXPECT_NEAR(offset.value(100 + timing.total + 1), 0, 1e-9);   // and the next loop pauses again
    // The left edge's fade: resting through the pause, scrolling 0.25 s into the movement, resting
    // again at the end.
    const Loop fade = MarqueeText::fadeLoop(236, 100);
    EXPECT_DOUBLE_EQ(fade.value(100 + 1.9), 0);
    EXPECT_NEAR(fade.value(100 + 2.125), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(fade.value(100 + 2.25), 1);
    EXPECT_DOUBLE_EQ(fade.value(100 + timing.total - 0.25), 1);
    EXPECT_NEAR(fade.value(100 + timing.total - 0.125), 0.5, 1e-9);
}

TEST_F(MediaControls, AScrollingTitleMovesWithoutDescribingViewsAndOnlyARebuildRestartsIt)
{
    const QString title = QStringLiteral("A title that is much wider than the slot it is given");
    auto marquee = [&](Color color, double width) {
        return view(MarqueeText{title, 13, Weight::semibold, color, true}).frame(width, std::nullopt);
    };
    const double start = time.now();
    show(marquee(Color::white(), 120), QSizeF(200, 40));
    auto offset = [&]() {
        for (const Node *n : loopingNodes())
            if (n->value(Prop::offsetX, 1) != 1)
                return n->value(Prop::offsetX, 0);
        return 1.0;  // nothing moves
    };
    ASSERT_EQ(loopingNodes().size(), 2u);  // the movement and the edge fade
    time.advance(3);
    const uint64_t described = tree->evaluationCount();
    time.advance(0.5);
    EXPECT_EQ(tree->evaluationCount(), described);
    EXPECT_NEAR(offset(), -28 * (time.now() - start - 2), 0.05);

    // A new colour keeps the phase.
    tree->setRoot(marquee(Color::white(0.5), 120).environment(islandModel, model.get()));
    time.advance(0.01);
    EXPECT_NEAR(offset(), -28 * (time.now() - start - 2), 0.05);
    // A new width starts over with the pause.
    tree->setRoot(marquee(Color::white(0.5), 110).environment(islandModel, model.get()));
    time.advance(0.01);
    EXPECT_DOUBLE_EQ(offset(), 0);
    time.advance(2.5);
    EXPECT_NEAR(offset(), -28 * 0.5, 0.5);
}

TEST_F(MediaControls, TitlesThatMayNotScrollOrHaveNoRoomNeverMove)
{
    const QString title = QStringLiteral("A title that is much wider than the slot it is given");
    // Closed island, no wish given: the island's state decides.
    show(view(MarqueeText{title, 13, Weight::semibold, Color::white(), std::nullopt}).frame(120, std::nullopt), QSizeF(200, 40));
    EXPECT_TRUE(loopingNodes().empty());
    const auto texts = visibleTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_TRUE(texts.front().endsWith(QChar(0x2026)));  // ends in an ellipsis
    // The user's switch off.
    defaults().set(settings::scrollLongTitles, false);
    show(view(MarqueeText{title, 13, Weight::semibold, Color::white(), true}).frame(120, std::nullopt), QSizeF(200, 40));
    EXPECT_TRUE(loopingNodes().empty());
    defaults().set(settings::scrollLongTitles, true);
    // No width, or a hidden layer.
    show(view(MarqueeText{title, 13, Weight::semibold, Color::white(), true}).frame(0, std::nullopt), QSizeF(200, 40));
    EXPECT_TRUE(loopingNodes().empty());
    show(view(MarqueeText{title, 13, Weight::semibold, Color::white(), true}).frame(120, std::nullopt).environment(isIslandLayerVisible, false),
         QSizeF(200, 40));
    EXPECT_TRUE(loopingNodes().empty());
    // A title that fits shows whole, once, unmasked.
    show(view(MarqueeText{QStringLiteral("Short"), 13, Weight::semibold, Color::white(), true}).frame(120, std::nullopt),
         QSizeF(200, 40));
    EXPECT_TRUE(loopingNodes().empty());
    EXPECT_EQ(visibleTexts(), std::vector<QString>{QStringLiteral("Short")});
    EXPECT_TRUE(test::allOfKind(tree->root(), "Mask").empty());
}

// ---- Extra button --------------------------------------------------------------------------------

TEST(ExtraButtonVariants, TheTableAsWritten)
{
    Track t;
    auto shuffle = [&](std::optional<int> mode) {
        t.shuffleMode = mode;
        return *ExtraButton::variant(QStringLiteral("shuffle"), t, true);
    };
    EXPECT_EQ(shuffle(std::nullopt).glyphOpacity, 0.48);
    EXPECT_EQ(shuffle(1).dotOpacity, 0);
    EXPECT_EQ(shuffle(1).tooltip, QStringLiteral("Shuffle"));
    EXPECT_EQ(shuffle(2).tooltip, QStringLiteral("Shuffle is on"));
    EXPECT_EQ(shuffle(3).dotOpacity, 1);
    EXPECT_EQ(shuffle(3).glyphOpacity, 1);

    auto repeat = [&](std::optional<int> mode) {
        t.repeatMode = mode;
        return *ExtraButton::variant(QStringLiteral("repeat"), t, true);
    };
    EXPECT_EQ(repeat(2).symbol, QStringLiteral("repeat.1"));
    EXPECT_EQ(repeat(2).tooltip, QStringLiteral("Repeating this track"));
    EXPECT_EQ(repeat(3).symbol, QStringLiteral("repeat"));
    EXPECT_EQ(repeat(3).tooltip, QStringLiteral("Repeat is on"));
    EXPECT_EQ(repeat(4).tooltip, QStringLiteral("Repeat"));
    EXPECT_TRUE(repeat(4).state);
    EXPECT_EQ(repeat(4).dotOpacity, 1);
    for (std::optional<int> off : {std::optional<int>(), std::optional<int>(0), std::optional<int>(1)}) {
        EXPECT_FALSE(repeat(off).state);
        EXPECT_EQ(repeat(off).glyphOpacity, 0.48);
    }
    // Without a track everything is off.
    EXPECT_FALSE(ExtraButton::variant(QStringLiteral("shuffle"), std::nullopt, true)->state);
    EXPECT_FALSE(ExtraButton::variant(QStringLiteral("repeat"), std::nullopt, true)->state);

    t.isLiked = true;
    const auto liked = *ExtraButton::variant(QStringLiteral("like"), t, true);
    EXPECT_EQ(liked.symbol, QStringLiteral("heart.fill"));
    EXPECT_EQ(liked.tooltip, QStringLiteral("Remove from Favourites"));
    EXPECT_EQ(liked.dotOpacity, 0);
    // Not possible: a liked track keeps its full heart, the button is disabled.
    const auto cannot = *ExtraButton::variant(QStringLiteral("like"), t, false);
    EXPECT_EQ(cannot.symbol, QStringLiteral("heart.fill"));
    EXPECT_TRUE(cannot.disabled);
    EXPECT_EQ(cannot.tooltip, QStringLiteral("No player offers Favourite to other apps on Linux."));
    t.isLiked.reset();
    EXPECT_EQ(ExtraButton::variant(QStringLiteral("like"), t, true)->tooltip, QStringLiteral("Favourite"));
    EXPECT_EQ(ExtraButton::variant(QStringLiteral("like"), t, false)->symbol, QStringLiteral("heart"));

    const auto back = *ExtraButton::variant(QStringLiteral("back15"), t, true);
    EXPECT_EQ(back.symbol, QStringLiteral("gobackward.15"));
    EXPECT_EQ(back.tooltip, QStringLiteral("Back 15 seconds"));
    EXPECT_EQ(ExtraButton::variant(QStringLiteral("forward15"), t, true)->tooltip, QStringLiteral("Forward 15 seconds"));
    EXPECT_FALSE(ExtraButton::variant(QStringLiteral("none"), t, true));
    EXPECT_FALSE(ExtraButton::variant(QStringLiteral("Shuffle"), t, true));  // exact match only
}

TEST_F(MediaControls, TheExtraButtonTogglesSkipsAndDrawsNothingForNone)
{
    model->nowPlaying().track = track(200, 50, false);
    show(view(ExtraButton{}), QSizeF(60, 60));
    ASSERT_TRUE(control(QStringLiteral("Shuffle")));
    EXPECT_EQ(tree->tooltipAt(control(QStringLiteral("Shuffle"))->rect.center()), QStringLiteral("Shuffle"));
    click(control(QStringLiteral("Shuffle"))->rect.center());
    EXPECT_EQ(model->nowPlaying().track.peek()->shuffleMode, 3);
    time.advance(1);
    EXPECT_EQ(tree->tooltipAt(control(QStringLiteral("Shuffle"))->rect.center()), QStringLiteral("Shuffle is on"));

    defaults().set(settings::playerExtraButton, std::string("back15"));
    time.advance(0.5);
    ASSERT_TRUE(control(QStringLiteral("Back 15 Seconds")));
    click(control(QStringLiteral("Back 15 Seconds"))->rect.center());
    EXPECT_DOUBLE_EQ(model->nowPlaying().track.peek()->elapsed, 35);

    // Favourites are not possible here: the heart is dimmed, disabled and does nothing.
    defaults().set(settings::playerExtraButton, std::string("like"));
    time.advance(0.5);
    const auto heart = control(QStringLiteral("Favourite"));
    ASSERT_TRUE(heart);
    EXPECT_TRUE(heart->disabled);
    EXPECT_NEAR(heart->opacity, 0.4, 1e-9);

    for (const char *kind : {"none", "sparkles"}) {
        defaults().set(settings::playerExtraButton, std::string(kind));
        time.advance(0.5);
        for (const DrawnItem &i : drawnItems(*tree))
            EXPECT_FALSE(i.isVisible()) << kind;
    }
}

// ---- Output picker -------------------------------------------------------------------------------

TEST_F(MediaControls, ThePickerFallsBackWithoutADeviceAndTogglesTheVolumeRow)
{
    show(view(OutputPicker{}), QSizeF(60, 60));
    // No outputs at all: the speaker, "Output", an empty menu, and a working toggle.
    EXPECT_EQ(visibleSymbols(), std::vector<QString>{QStringLiteral("hifispeaker.fill")});
    const auto button = control(QStringLiteral("Output"));
    ASSERT_TRUE(button);
    EXPECT_EQ(tree->tooltipAt(button->rect.center()), QStringLiteral("Output"));
    std::optional<std::vector<MenuItem>> menu;
    auto c = tree->contextMenuRequested.connect([&](const std::vector<MenuItem> &items, QPointF) { menu = items; });
    tree->handlePointer(PointerEvent::press(button->rect.center(), Qt::RightButton));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->empty());
    EXPECT_NEAR(button->opacity, 1, 1e-9);
    click(button->rect.center());
    EXPECT_TRUE(model->showsVolume.peek());
    time.advance(1);
    click(button->rect.center());
    EXPECT_FALSE(model->showsVolume.peek());
}

TEST_F(MediaControls, TheMenuMarksTheCurrentOutputAndAChoiceComesBackFromTheServer)
{
    audioDevices.systemSetOutputs({{{1, QStringLiteral("Speakers & Sub"), AudioTransport::builtin}, 0.5f, false},
                                   {{2, QStringLiteral("Headset\n<b>x</b>"), AudioTransport::bluetooth}, 0.3f, false}});
    audioDevices.systemSetDefault(1u);
    time.flush();
    show(view(OutputPicker{}), QSizeF(60, 60));
    ASSERT_EQ(model->currentOutputID.peek(), 1u);
    const auto button = control(QStringLiteral("Output"));  // the symbol is no rule's: "Output"
    ASSERT_TRUE(button);
    EXPECT_EQ(tree->tooltipAt(button->rect.center()), QStringLiteral("Speakers & Sub"));

    const auto items = OutputPicker::menu(audioDevices, model->outputs.peek(), model->currentOutputID.peek());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].title, QStringLiteral("Speakers & Sub"));
    EXPECT_EQ(items[0].symbol, QStringLiteral("checkmark"));
    EXPECT_EQ(items[1].symbol, model->outputs.peek()[1].symbol);
    EXPECT_NE(items[1].symbol, QStringLiteral("checkmark"));
    // No current device: no check mark anywhere.
    for (const MenuItem &item : OutputPicker::menu(audioDevices, model->outputs.peek(), std::nullopt))
        EXPECT_NE(item.symbol, QStringLiteral("checkmark"));

    // The choice is one write; nothing moves until the server reports it.
    items[1].action();
    EXPECT_EQ(audioDevices.defaultWrites(), std::vector<uint32_t>{2});
    EXPECT_EQ(model->currentOutputID.peek(), 1u);
    int announced = 0;
    auto c = audioDevices.defaultOutputChanged.connect([&] { ++announced; });
    time.flush();
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(model->currentOutputID.peek(), 2u);
    time.advance(0.5);
    EXPECT_EQ(tree->tooltipAt(button->rect.center()), QStringLiteral("Headset <b>x</b>"));
    // Choosing the current one writes again and announces nothing.
    OutputPicker::menu(audioDevices, model->outputs.peek(), model->currentOutputID.peek())[1].action();
    time.flush();
    EXPECT_EQ(audioDevices.defaultWrites().size(), 2u);
    EXPECT_EQ(announced, 1);
}

// ---- Volume slider -------------------------------------------------------------------------------

TEST_F(MediaControls, TheSliderSetsTheVolumeUnmutesAndGivesOneHapticPerEnd)
{
    audioDevices.systemSetOutputs({{{1, QStringLiteral("Speakers"), AudioTransport::builtin}, 0.6f, true}});
    audioDevices.systemSetDefault(1u);
    model->startAudio();
    time.advance(0.5);
    show(view(VolumeSlider{}).frame(200, 28), QSizeF(220, 40));
    // Muted at 0.6: an empty bar and the slashed speaker.
    EXPECT_FLOAT_EQ(model->volumeLevel.peek(), 0.6f);
    EXPECT_EQ(visibleSymbols().front(), QStringLiteral("speaker.slash.fill"));
    const auto bar = control(QStringLiteral("volume"));
    ASSERT_TRUE(bar);
    click(at(*bar, 0.4));
    EXPECT_NEAR(model->volumeLevel.peek(), 0.4, 1e-4);
    EXPECT_FALSE(model->isMuted.peek());
    EXPECT_FALSE(model->isInteracting.peek());
    time.advance(0.5);
    EXPECT_EQ(visibleSymbols().front(), QStringLiteral("speaker.fill"));

    // Beyond the right end: 1 with one haptic however long the pointer stays out there.
    const size_t before = patternsOf(*model).size();
    press(at(*bar, 0.5));
    EXPECT_TRUE(model->isInteracting.peek());
    moveTo(at(*bar, 1.2));
    moveTo(at(*bar, 1.5));
    EXPECT_FLOAT_EQ(model->volumeLevel.peek(), 1);
    moveTo(at(*bar, -0.3));
    moveTo(at(*bar, -0.6));
    EXPECT_FLOAT_EQ(model->volumeLevel.peek(), 0);
    release(at(*bar, -0.6));
    EXPECT_FALSE(model->isInteracting.peek());
    const auto patterns = patternsOf(*model);
    EXPECT_EQ(std::count(patterns.begin() + long(before), patterns.end(), HapticPattern::levelChange), 2);
    time.advance(0.5);
    EXPECT_EQ(visibleSymbols().front(), QStringLiteral("speaker.slash.fill"));  // volume 0, not muted
    EXPECT_FALSE(model->isMuted.peek());
}

// ---- Scrubber ------------------------------------------------------------------------------------

TEST(ScrubberFormat, RoundsDownAndReadsHours)
{
    EXPECT_EQ(ScrubberView::format(0.4), QStringLiteral("0:00"));
    EXPECT_EQ(ScrubberView::format(225 - 0.4), QStringLiteral("3:44"));
    EXPECT_EQ(ScrubberView::format(3599.9), QStringLiteral("59:59"));
    EXPECT_EQ(ScrubberView::format(3600), QStringLiteral("1:00:00"));
    EXPECT_EQ(ScrubberView::format(36249), QStringLiteral("10:04:09"));
    EXPECT_EQ(ScrubberView::format(-3), QStringLiteral("0:00"));
    EXPECT_EQ(ScrubberView::format(std::nan("")), QStringLiteral("0:00"));
    EXPECT_EQ(ScrubberView::format(INFINITY), QStringLiteral("0:00"));
    EXPECT_EQ(ScrubberView::remainingText(0.4, 225), QStringLiteral("-3:44"));
    EXPECT_EQ(ScrubberView::remainingText(230, 225), QStringLiteral("-0:00"));
    EXPECT_EQ(ScrubberView::remainingText(12, 0), QStringLiteral("--:--"));
}

TEST(ScrubberFormat, LabelsAreAsWideAsTheWidestTextOfTheTrack)
{
    const Font &font = ScrubberView::labelFont();
    EXPECT_EQ(&font, &ScrubberView::labelFont());  // made once
    auto widthOf = [&](const char *text) { return std::max(28.0, std::ceil(font.advance(QString::fromLatin1(text))) + 1); };
    EXPECT_DOUBLE_EQ(ScrubberView::labelWidth(10, 225), widthOf("-3:45"));
    EXPECT_DOUBLE_EQ(ScrubberView::labelWidth(10, 3723), widthOf("-1:02:03"));
    EXPECT_GT(ScrubberView::labelWidth(10, 3723), ScrubberView::labelWidth(10, 225));
    // A shown position beyond the duration widens it.
    EXPECT_DOUBLE_EQ(ScrubberView::labelWidth(3700, 100), widthOf("-1:01:40"));
}

TEST_F(MediaControls, TheScrubberShowsSeeksAndFollowsTheDrag)
{
    model->nowPlaying().track = track(200, 0.4);
    auto row = [&] { return view(ScrubberView{*model->nowPlaying().track.peek(), false, true}).frame(300, 16); };
    show(row(), QSizeF(320, 30));
    auto texts = visibleTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], QStringLiteral("0:00"));
    EXPECT_EQ(texts[1], QStringLiteral("-3:19"));
    const auto bar = control(QStringLiteral("scrubber"));
    ASSERT_TRUE(bar);

    // Dragging to the middle of a 200 s track shows 1:40 and -1:40 while held.
    press(at(*bar, 0.1));
    EXPECT_TRUE(model->isInteracting.peek());
    moveTo(at(*bar, 0.5));
    texts = visibleTexts();
    EXPECT_EQ(texts[0], QStringLiteral("1:40"));
    EXPECT_EQ(texts[1], QStringLiteral("-1:40"));
    // Off the right end: pinned at the end; the seek goes to the last shown position.
    moveTo(at(*bar, 1.4));
    release(at(*bar, 0.2));
    EXPECT_DOUBLE_EQ(model->nowPlaying().track.peek()->elapsed, 200);
    EXPECT_FALSE(model->isInteracting.peek());

    // A click without movement at 30 % seeks to 30 %.
    tree->setRoot(row().environment(islandModel, model.get()));
    time.advance(0.01);
    click(at(*bar, 0.3));
    EXPECT_NEAR(model->nowPlaying().track.peek()->elapsed, 60, 1e-6);
}

TEST_F(MediaControls, WithoutADurationTheScrubberReadsDashesAndNeverSeeks)
{
    model->nowPlaying().track = track(0, 12, false);
    show(view(ScrubberView{*model->nowPlaying().track.peek(), false, true}).frame(300, 16), QSizeF(320, 30));
    EXPECT_EQ(visibleTexts(), (std::vector<QString>{QStringLiteral("0:12"), QStringLiteral("--:--")}));
    model->isInteracting = true;
    const auto bar = control(QStringLiteral("scrubber"));
    ASSERT_TRUE(bar);
    click(at(*bar, 0.5));
    EXPECT_DOUBLE_EQ(model->nowPlaying().track.peek()->elapsed, 12);
    EXPECT_FALSE(model->isInteracting.peek());
}

TEST_F(MediaControls, TheScrubberWakesTwiceASecondOnlyWhileShownAndPlaying)
{
    model->nowPlaying().track = track(200, 10, true);
    show(view(ScrubberView{*model->nowPlaying().track.peek(), false, true}).frame(300, 16), QSizeF(320, 30));
    uint64_t before = tree->evaluationCount();
    time.advance(2);
    EXPECT_GE(tree->evaluationCount() - before, 3u);
    EXPECT_EQ(visibleTexts()[0], QStringLiteral("0:12"));

    // Hidden row, or a paused track: once an hour.
    for (bool visible : {false, true}) {
        Track t = track(200, 10, visible ? false : true);
        show(view(ScrubberView{t, false, visible}).frame(300, 16), QSizeF(320, 30));
        before = tree->evaluationCount();
        time.advance(60);
        EXPECT_EQ(tree->evaluationCount(), before) << visible;
    }
}

TEST_F(MediaControls, TheGlassKnobShowsOnlyWhenAskedAndWhileActive)
{
    model->nowPlaying().track = track(200, 100, false);
    show(view(ScrubberView{*model->nowPlaying().track.peek(), false, true}).frame(300, 16), QSizeF(320, 30));
    EXPECT_TRUE(test::allOfKind(tree->root(), "Shadow").empty());
    show(view(ScrubberView{*model->nowPlaying().track.peek(), true, true}).frame(300, 16), QSizeF(320, 30));
    ASSERT_EQ(test::allOfKind(tree->root(), "Shadow").size(), 1u);
    const auto bar = control(QStringLiteral("scrubber"));
    ASSERT_TRUE(bar);
    const QImage resting = tree->render(1);
    moveTo(at(*bar, 0.7));  // hovered: the large knob at the progress' end
    time.advance(1);
    const QImage hovered = tree->render(1);
    const QPoint knobCentre(int(at(*bar, 0.5).x()), int(bar->rect.center().y()));
    EXPECT_LT(qAlpha(resting.pixel(knobCentre.x(), int(bar->rect.top()) + 1)), 30);
    EXPECT_GT(qAlpha(hovered.pixel(knobCentre.x(), int(bar->rect.top()) + 1)), 200);
}
