#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

TEST(Keyframes, TrackMovesThroughItsKeyframesInTurn)
{
    const KeyframeTrack track(1, {{1.2, 0.1, Animation::linear(0)}, {0.9, 0.2, Animation::easeInOut(0)}, {1, 0.1, Animation::linear(0)}});
    EXPECT_DOUBLE_EQ(track.duration(), 0.4);
    EXPECT_NEAR(track.value(0), 1, 1e-9);
    EXPECT_NEAR(track.value(0.05), 1.1, 1e-6);
    EXPECT_NEAR(track.value(0.1), 1.2, 1e-6);
    EXPECT_NEAR(track.value(0.2), 1.05, 1e-6);  // half way down, symmetric curve
    EXPECT_NEAR(track.value(0.35), 0.95, 1e-6);
    EXPECT_EQ(track.value(5), 1);
}

TEST(Keyframes, AnimatorPlaysOnEachTriggerThenStops)
{
    vesk::VirtualTime time;
    vesk::Observed<int> trigger{0};
    const KeyframeTrack track(0, {{100, 0.5, Animation::linear(0)}});
    Tree tree(QSizeF(200, 20));
    tree.setRoot(Observe([&](const Env &) {
        return KeyframeAnimator(AnyValue::of(trigger.get()), track, [](double v) {
            return Fill(Color::white()).frame(10, 10).offset(v, 0).id(1);
        });
    }));
    auto offset = [&] { return tree.find(1)->children().front()->value(Prop::offsetX, -1); };
    EXPECT_EQ(offset(), 0);
    time.advance(1);
    EXPECT_EQ(offset(), 0);  // nothing plays before the trigger changes
    EXPECT_FALSE(tree.isAnimating());

    trigger = 1;
    time.flush();
    time.advance(0.25);
    EXPECT_NEAR(offset(), 50, 2);  // sampled at the last frame
    time.advance(0.5);
    EXPECT_EQ(offset(), 100);
    EXPECT_FALSE(tree.isAnimating());
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST(AnimatedValue, FollowsTheTransactionAndSettles)
{
    vesk::VirtualTime time;
    AnimatedValue value(0);
    int frames = 0;
    value.onFrame = [&] { ++frames; };
    withAnimation(Animation::linear(0.5), [&] { value.set(10); });
    EXPECT_EQ(value.value(), 0);
    time.advance(0.25);
    EXPECT_NEAR(value.value(), 5, 1e-6);
    time.advance(0.5);
    EXPECT_EQ(value.value(), 10);
    EXPECT_FALSE(value.isAnimating());
    EXPECT_GT(frames, 20);
    EXPECT_EQ(time.queue().pendingCount(), 0u);
    value.set(3);  // no transaction: jumps
    EXPECT_EQ(value.value(), 3);
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST(TextFormat, ShortTimeHasNoDatePart)
{
    const QDateTime when = QDateTime(QDate(2025, 1, 6), QTime(9, 41), Qt::LocalTime);
    EXPECT_TRUE(shortTime(when, QLocale(QLocale::English, QLocale::UnitedStates)).startsWith(QStringLiteral("9:41")));
    EXPECT_TRUE(shortTime(when, QLocale(QLocale::English, QLocale::UnitedStates)).endsWith(QStringLiteral("AM")));
    EXPECT_EQ(shortTime(when, QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("09:41"));
    EXPECT_FALSE(shortTime(when, QLocale(QLocale::German, QLocale::Germany)).contains(QStringLiteral("2025")));
}

TEST(TextFormat, ShortTimeNeverShowsSeconds)
{
    const QDateTime when = QDateTime(QDate(2025, 1, 6), QTime(9, 41, 27), Qt::LocalTime);
    EXPECT_EQ(shortTime(when, QLocale::c()), QStringLiteral("09:41"));
    EXPECT_EQ(shortTime(when, QLocale(QLocale::English, QLocale::UnitedStates)).left(4), QStringLiteral("9:41"));
    EXPECT_FALSE(shortTime(when, QLocale(QLocale::English, QLocale::UnitedStates)).contains(QStringLiteral("27")));
    for (const auto language : {QLocale::Finnish, QLocale::Japanese, QLocale::Persian, QLocale::Korean, QLocale::French})
        EXPECT_FALSE(shortTime(when, QLocale(language)).contains(QLocale(language).toString(27))) << QLocale(language).name().toStdString();
}

TEST(Keyframes, BounceSqueezesAndSettlesBack)
{
    vesk::VirtualTime time;
    vesk::Observed<int> taps{0};
    Tree tree(QSizeF(40, 40));
    tree.setRoot(Observe([&](const Env &) { return Symbol(QStringLiteral("play.fill"), 20).bounce(taps.get(), true); }));
    auto scale = [&] {
        const Node *keyframes = tree.root()->children().front().get();
        return keyframes->children().front()->value(Prop::scaleX, -1);
    };
    EXPECT_EQ(scale(), 1);
    taps = 1;
    time.flush();
    time.advance(0.1);
    EXPECT_LT(scale(), 0.9);
    time.advance(1);
    EXPECT_EQ(scale(), 1);
    EXPECT_FALSE(tree.isAnimating());
}

TEST(Keyframes, EveryFrameTimelineFollowsTheClockWhileShown)
{
    vesk::VirtualTime time;
    vesk::Observed<bool> shown{true};
    std::vector<double> seen;
    Tree tree(QSizeF(40, 40));
    tree.setRoot(Observe([&](const Env &) {
        return If(shown.get(), Timeline(0, [&](double wall) {
            seen.push_back(wall);
            return Empty();
        }));
    }));
    time.advance(0.5);
    EXPECT_GE(seen.size(), 29u);
    EXPECT_NEAR(seen.back() - seen.front(), 0.5, 0.02);
    shown = false;
    time.flush();
    const size_t count = seen.size();
    time.advance(0.5);
    EXPECT_EQ(seen.size(), count);
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}
