#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

class Loops : public ::testing::Test {
protected:
    vesk::VirtualTime time;
    Tree tree{QSizeF(100, 100)};

    // A bar whose height loops 2 to 20 every 0.5 s, back and forth, phased from clock time 1.
    static Element bar(std::optional<Loop> loop)
    {
        return Fill(Rectangle(), Color::white()).frame(4, 2).loop(LoopTarget::height(), loop).id(1);
    }
    static Loop bounce() { return Loop::between(2, 20, 0.5, Animation::Kind::linear, true, 1.0); }
    Node *leaf() const
    {
        Node *n = tree.find(1);
        while (n && !n->children().empty())
            n = n->children().front().get();
        return n;
    }
};

}  // namespace

TEST_F(Loops, FromToCurveAutoReversesAroundItsPhase)
{
    const Loop loop = Loop::between(0, 10, 1, Animation::Kind::linear, true, 1.0);
    EXPECT_DOUBLE_EQ(loop.value(0.5), 0) << "before its phase it rests at its start";
    EXPECT_DOUBLE_EQ(loop.value(1.25), 2.5);
    EXPECT_DOUBLE_EQ(loop.value(2.25), 7.5) << "the second run goes back";
    EXPECT_DOUBLE_EQ(loop.value(3.25), 2.5) << "a cycle is twice the period";
    EXPECT_DOUBLE_EQ(loop.cycle(), 2);
    const Loop once = Loop::between(0, 10, 1, Animation::Kind::easeInOut, false, 0);
    EXPECT_NEAR(once.value(1.5), 5, 1e-6);
    EXPECT_NEAR(once.value(1.99), 10, 0.01);
    EXPECT_NEAR(once.value(2.01), 0, 0.01) << "without reversing it starts over";
    EXPECT_LT(once.value(0.1), 1) << "ease-in-out starts slowly";
}

TEST_F(Loops, KeyframeTrackRepeats)
{
    const Loop loop = Loop::keyframes(KeyframeTrack(0, {{0, 1, Animation::linear(0)}, {-50, 2, Animation::linear(0)}}), 0);
    EXPECT_DOUBLE_EQ(loop.value(0.5), 0) << "held for its first second";
    EXPECT_DOUBLE_EQ(loop.value(2), -25);
    EXPECT_DOUBLE_EQ(loop.value(3.5), 0) << "then again from the start";
    EXPECT_DOUBLE_EQ(loop.value(5), -25);
}

TEST_F(Loops, ALoopingHeightIsDrawnAboutTheLaidOutCentreWithoutDescribingViews)
{
    int bodies = 0;
    tree.setRoot(Observe([&](const Env &) {
        ++bodies;
        return bar(bounce());
    }));
    Node *content = leaf();
    ASSERT_NE(content, nullptr);
    const QRectF laidOut = content->targetFrame();
    time.advance(1.25 - time.now());
    QRectF f = content->frame();
    EXPECT_NEAR(f.height(), 2 + 18 * 0.5, 1e-6);
    EXPECT_NEAR(f.center().y(), laidOut.center().y(), 1e-6) << "it grows both ways from its centre";
    EXPECT_DOUBLE_EQ(f.width(), laidOut.width());
    EXPECT_TRUE(tree.isAnimating());
    EXPECT_TRUE(FrameDriver::shared().isScheduled());
    // Many frames later it still bounces, and no body was described for it.
    const uint64_t evaluations = tree.evaluationCount();
    time.advance(2.0);
    EXPECT_EQ(tree.evaluationCount(), evaluations);
    EXPECT_EQ(bodies, 1);
    EXPECT_TRUE(FrameDriver::shared().isScheduled());
    // The drawing follows: at 3.5 s the bar is at its full 20 points (the fourth run ends there).
    time.advance(3.5 - time.now());
    const QImage image = tree.render(1);
    const int x = int(tree.find(1)->frameInTree().center().x());
    EXPECT_EQ(qAlpha(image.pixel(x, 41)), 255);
    EXPECT_EQ(qAlpha(image.pixel(x, 58)), 255);
    EXPECT_EQ(qAlpha(image.pixel(x, 39)), 0);
}

TEST_F(Loops, RedeclaredEqualContinuesAndRemovedStops)
{
    vesk::Observed<int> tick{0};
    vesk::Observed<bool> looping{true};
    tree.setRoot(Observe([&](const Env &) {
        (void)tick.get();
        return bar(looping.get() ? std::optional(bounce()) : std::nullopt);
    }));
    time.advance(1.1);
    const double before = leaf()->frame().height();
    tick = 1;  // the body is described again with an equal loop
    time.flush();
    EXPECT_DOUBLE_EQ(leaf()->frame().height(), before) << "no jump";
    time.advance(0.1);
    EXPECT_NEAR(leaf()->frame().height(), bounce().value(time.now()), 1e-9);
    looping = false;
    time.flush();
    EXPECT_DOUBLE_EQ(leaf()->frame().height(), 2) << "back to its laid-out height";
    EXPECT_FALSE(tree.isAnimating());
    time.advance(0.1);
    EXPECT_FALSE(FrameDriver::shared().isScheduled()) << "nothing moves, nothing ticks";
}

TEST_F(Loops, RunOnlyWhileTheTreeIsShown)
{
    tree.setShown(false);
    tree.setRoot(bar(bounce()));
    time.advance(1.25);
    EXPECT_DOUBLE_EQ(leaf()->frame().height(), 2);
    EXPECT_FALSE(tree.isAnimating());
    EXPECT_FALSE(FrameDriver::shared().isScheduled()) << "a hidden tree asks for no frames";
    EXPECT_TRUE(tree.dump().contains(QStringLiteral("loops=height stopped")));
    int repaints = 0;
    auto c = tree.needsDisplay.connect([&] { ++repaints; });
    tree.setShown(true);
    EXPECT_GE(repaints, 1);
    EXPECT_NEAR(leaf()->frame().height(), bounce().value(time.now()), 1e-9) << "it starts at the clock's phase";
    EXPECT_TRUE(FrameDriver::shared().isScheduled());
    tree.setShown(false);
    time.advance(0.1);
    EXPECT_FALSE(FrameDriver::shared().isScheduled());
}

TEST_F(Loops, APictureOfATreeNotShownDrawsItsLoopsWhereTheClockPutsThem)
{
    // A snapshot of a window off the screen shows what the window would show, without waking it.
    tree.setShown(false);
    tree.setRoot(bar(bounce()));
    auto inkHeight = [&] {
        const QImage image = tree.render(2);
        const int x = int(2 * tree.find(1)->frameInTree().center().x());
        int rows = 0;
        for (int y = 0; y < image.height(); ++y)
            rows += qAlpha(image.pixel(x, y)) > 127;
        return rows / 2.0;
    };
    for (const double t : {1.1, 1.25, 1.4, 1.62, 2.05}) {
        time.advance(t - time.now());
        SCOPED_TRACE(t);
        EXPECT_NEAR(inkHeight(), bounce().value(t), 0.5);
        EXPECT_DOUBLE_EQ(leaf()->frame().height(), 2) << "its layout keeps the stopped value";
        EXPECT_FALSE(tree.isAnimating());
        EXPECT_FALSE(FrameDriver::shared().isScheduled()) << "drawing it asks for no frame";
    }
}

TEST_F(Loops, OpacityOffsetPainterValueAndGradientStop)
{
    const Loop half = Loop::between(0, 1, 1, Animation::Kind::linear, false, 0);
    std::vector<double> painted;
    tree.setRoot(ZStack({},
                        Fill(Rectangle(), Color::white())
                            .frame(10, 10)
                            .loops({{LoopTarget::opacity(), half}, {LoopTarget::offsetX(), Loop::between(0, 20, 1, Animation::Kind::linear, false, 0)}})
                            .id(1),
                        Painter(AnyValue::of(1), {0}, [&](QPainter &, const QRectF &, const std::vector<double> &v) { painted.push_back(v[0]); })
                            .loop(LoopTarget::value(0), Loop::between(5, 15, 1, Animation::Kind::linear, false, 0)),
                        Fill(Rectangle(), LinearGradient{{{Color::black(), 0}, {Color::black(), 1}}})
                            .frame(4, 4)
                            .loop(LoopTarget::stopColor(0, Color::black(), Color::white()), half)
                            .offset(-40, -40))
                     .frame(100, 100));
    time.advance(0.5);
    const QImage image = tree.render(1);
    ASSERT_FALSE(painted.empty());
    EXPECT_NEAR(painted.back(), 10, 1e-9);
    // The square sits at 45..55, moved 10 to the right, at half opacity.
    EXPECT_NEAR(qAlpha(image.pixel(60, 50)), 128, 2);
    EXPECT_EQ(qAlpha(image.pixel(50, 50)), 0);
    // The gradient's first stop is half way from black to white at its top; its last stays black.
    EXPECT_NEAR(qRed(image.pixel(9, 8)), 110, 30);
    EXPECT_LT(qRed(image.pixel(9, 11)), qRed(image.pixel(9, 8)));
    EXPECT_TRUE(tree.dump().contains(QStringLiteral("loops=opacity,offsetX")));
}

TEST_F(Loops, AccessibilityLabelIsKeptInTheDump)
{
    tree.setRoot(Symbol("e.square.fill", 12, Weight::regular).accessibilityLabel(QStringLiteral("Explicit")));
    EXPECT_TRUE(tree.dump().contains(QStringLiteral("AccessibilityLabel (")));
    EXPECT_TRUE(tree.dump().contains(QStringLiteral("label=\"Explicit\"")));
}

TEST_F(Loops, DrawnItemsFollowALoopingOffsetWhileItRuns)
{
    // A text that runs left 10 points a second inside a clip, as a marquee does.
    tree.setRoot(Text(QStringLiteral("run"))
                     .frame(40, 10, Alignment::leading())
                     .loop(LoopTarget::offsetX(), Loop::between(0, -80, 8, Animation::Kind::linear, false, 0))
                     .frame(40, 10, Alignment::leading())
                     .clipped());
    auto textRect = [&]() -> std::optional<QRectF> {
        for (const DrawnItem &item : drawnItems(tree))
            if (item.kind == DrawnItem::Kind::text && item.isVisible())
                return item.rect;
        return std::nullopt;
    };
    const double rest = textRect().value().x();
    time.advance(1.5);
    ASSERT_TRUE(textRect());
    EXPECT_NEAR(textRect()->x(), rest - 15, 1e-6);
    time.advance(3);
    EXPECT_FALSE(textRect()) << "run out of its clip, nothing of it shows";
    tree.setShown(false);
    ASSERT_TRUE(textRect()) << "a stopped loop leaves the laid-out place";
    EXPECT_NEAR(textRect()->x(), rest, 1e-6);
}

TEST_F(Loops, FramesComeThirtyASecondWhileOnlyLoopsMoveAndMotionIsPromptAgain)
{
    vesk::Observed<double> width{10};
    tree.setRoot(Observe([&](const Env &) {
        return HStack({}, bar(bounce()), Fill(Color::white()).frame(width.get(), 10).id(2));
    }));
    time.advance(0.5);
    int repaints = 0;
    auto c = tree.needsDisplay.connect([&] { ++repaints; });
    time.advance(1.0);
    EXPECT_NEAR(repaints, 30, 1) << "the bars alone";
    // An animation that starts just after one of those frames moves at the next 1/60 s.
    for (repaints = 0; repaints == 0;)
        time.advance(1.0 / 600);
    withAnimation(Animation::linear(0.5), [&] { width = 40; });
    time.flush();
    repaints = 0;
    const double before = tree.find(2)->frame().width();
    time.advance(1.0 / 60 + 1e-6);
    EXPECT_GE(repaints, 1);
    EXPECT_GT(tree.find(2)->frame().width(), before);
    repaints = 0;
    time.advance(0.25);
    EXPECT_NEAR(repaints, 15, 1) << "60 a second while it moves";
    time.advance(1.0);
    repaints = 0;
    time.advance(1.0);
    EXPECT_NEAR(repaints, 30, 1) << "and back to the loops' rate once it has arrived";
    EXPECT_DOUBLE_EQ(tree.find(2)->frame().width(), 40);
}

TEST_F(Loops, FramesComeAsOftenAsTheMostDemandingLoopAsks)
{
    vesk::Observed<bool> scrolls{false};
    tree.setRoot(Observe([&](const Env &) {
        Element slider = Fill(Color::white()).frame(10, 10).loop(LoopTarget::offsetX(), scrolls.get()
                                                                                       ? std::optional(Loop::between(0, 30, 2, Animation::Kind::linear, false, 0))
                                                                                       : std::nullopt);
        return HStack({}, bar(bounce().drawnEvery(1.0 / 20)), slider);
    }));
    time.advance(0.5);
    int repaints = 0;
    auto c = tree.needsDisplay.connect([&] { ++repaints; });
    time.advance(1.0);
    EXPECT_NEAR(repaints, 20, 1) << "a loop drawn 20 times a second alone";
    scrolls = true;
    time.advance(0.5);
    repaints = 0;
    time.advance(1.0);
    EXPECT_NEAR(repaints, 30, 1) << "with a loop at the driver's rate beside it";
    scrolls = false;
    time.advance(0.5);
    repaints = 0;
    time.advance(1.0);
    EXPECT_NEAR(repaints, 20, 1) << "and back once that loop has gone";
    EXPECT_NEAR(leaf()->frame().height(), bounce().value(vesk::appClock().now()), 1e-6) << "sampled at the clock's time";
}
