#include "Kit/Animator.h"
#include "Kit/FrameDriver.h"

#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <cmath>

using kit::Animation;
using kit::Animator;

namespace {

// Runs an animator from 0 to `target` at t = 0 and samples it every 1/240 s for `seconds`.
std::vector<double> sample(Animator &a, double seconds, double step = 1.0 / 240)
{
    std::vector<double> out;
    for (double t = 0; t <= seconds; t += step)
        out.push_back(a.value(t));
    return out;
}

}  // namespace

TEST(Spring, CoefficientsFollowResponseAndDamping)
{
    const kit::Spring s{0.43, 0.65};
    EXPECT_NEAR(s.stiffness(), std::pow(2 * M_PI / 0.43, 2), 1e-9);
    EXPECT_NEAR(s.damping(), 4 * M_PI * 0.65 / 0.43, 1e-9);
    // The closed form satisfies x'' = -k x - c x' (unit mass): check by finite differences.
    const double x0 = -100, v0 = 30, h = 1e-4;
    for (double t : {0.05, 0.2, 0.6}) {
        const double a = (s.displacement(x0, v0, t + h) - 2 * s.displacement(x0, v0, t) + s.displacement(x0, v0, t - h)) / (h * h);
        EXPECT_NEAR(a, -s.stiffness() * s.displacement(x0, v0, t) - s.damping() * s.velocity(x0, v0, t), 0.5) << t;
        EXPECT_NEAR(s.velocity(x0, v0, t), (s.displacement(x0, v0, t + h) - s.displacement(x0, v0, t - h)) / (2 * h), 1e-3);
    }
}

TEST(Spring, UnderdampedOvershootsAndSettles)
{
    Animator a(0);
    a.set(100, Animation::spring(0.43, 0.65), 0);
    const auto values = sample(a, 3);
    const double peak = *std::max_element(values.begin(), values.end());
    EXPECT_GT(peak, 105);  // ζ = 0.65 overshoots by about 7 %
    EXPECT_LT(peak, 110);
    EXPECT_TRUE(a.step(0.3));
    EXPECT_FALSE(a.step(3.0));
    EXPECT_FALSE(a.isActive());
    EXPECT_EQ(a.value(3.0), 100);
}

TEST(Spring, CriticallyDampedNeverOvershoots)
{
    for (double response : {0.2, 0.4, 0.7}) {
        Animator a(0);
        a.set(100, Animation::spring(response, 1.0), 0);
        double previous = 0;
        for (double v : sample(a, 3)) {
            EXPECT_LE(v, 100 + 1e-9);
            EXPECT_GE(v, previous - 1e-9);  // monotonic
            previous = v;
        }
    }
}

TEST(Spring, RetargetMidFlightKeepsPositionAndVelocity)
{
    Animator a(0);
    a.set(100, Animation::spring(0.43, 0.65), 0);
    const double t = 0.12;
    const double x = a.value(t), v = a.velocity(t);
    ASSERT_GT(v, 100);  // well under way
    a.set(-50, Animation::spring(0.43, 0.65), t);
    EXPECT_NEAR(a.value(t), x, 1e-9);
    EXPECT_NEAR(a.velocity(t), v, 1e-6);
    // And it still carries on towards the old target for a moment before turning.
    EXPECT_GT(a.value(t + 0.01), x);
    EXPECT_FALSE(a.step(t + 5));
    EXPECT_EQ(a.value(t + 5), -50);
}

TEST(TimingCurve, EaseCurvesMatchTheirBeziers)
{
    struct Row {
        Animation::Kind kind;
        double x1, y1, x2, y2;
    };
    for (const Row &row : {Row{Animation::Kind::easeIn, 0.42, 0, 1, 1}, Row{Animation::Kind::easeOut, 0, 0, 0.58, 1},
                           Row{Animation::Kind::easeInOut, 0.42, 0, 0.58, 1}, Row{Animation::Kind::linear, 0, 0, 1, 1}}) {
        const kit::TimingCurve curve = kit::TimingCurve::of(row.kind);
        for (double s = 0; s <= 1.0001; s += 0.05) {
            // A point of the Bézier at parameter s must lie on the curve.
            auto bez = [s](double p1, double p2) { return 3 * (1 - s) * (1 - s) * s * p1 + 3 * (1 - s) * s * s * p2 + s * s * s; };
            EXPECT_NEAR(curve.valueAt(bez(row.x1, row.x2)), bez(row.y1, row.y2), 1e-6) << int(row.kind) << " " << s;
        }
    }
    EXPECT_LT(kit::TimingCurve::of(Animation::Kind::easeIn).valueAt(0.5), 0.5);
    EXPECT_GT(kit::TimingCurve::of(Animation::Kind::easeOut).valueAt(0.5), 0.5);
}

TEST(Animator, CurveRunsForItsDurationAfterItsDelay)
{
    Animator a(10);
    a.set(20, Animation::easeOut(0.1).delayed(0.04), 1.0);
    EXPECT_EQ(a.value(1.03), 10);  // still waiting
    const double mid = a.value(1.09);
    EXPECT_GT(mid, 15);  // ease-out is past halfway at half time
    EXPECT_LT(mid, 20);
    EXPECT_TRUE(a.step(1.13));
    EXPECT_FALSE(a.step(1.15));
    EXPECT_EQ(a.value(1.2), 20);
}

TEST(Animator, DelayedRetargetLetsTheRunningMotionContinue)
{
    Animator a(0);
    a.set(100, Animation::linear(1), 0);
    a.set(0, Animation::linear(1).delayed(0.5), 0.2);
    EXPECT_NEAR(a.value(0.4), 40, 1e-9);  // the first motion, still going
    EXPECT_NEAR(a.value(0.9), 70 - 70 * 0.2, 1e-6);  // then from where it was
}

TEST(Animator, NoAnimationJumps)
{
    Animator a(3);
    a.set(7, std::nullopt, 0);
    EXPECT_EQ(a.value(0), 7);
    EXPECT_FALSE(a.isActive());
}

TEST(Animator, AutoreversingRepeatFollowsTheClock)
{
    Animator a(0);
    a.set(1, Animation::linear(1).repeatForever(true), 10);
    EXPECT_NEAR(a.value(10.25), 0.25, 1e-9);
    EXPECT_NEAR(a.value(11.25), 0.75, 1e-9);  // going back
    EXPECT_NEAR(a.value(12.5), 0.5, 1e-9);
    EXPECT_TRUE(a.step(100));  // never settles

    Animator twice(0);
    twice.set(1, Animation::linear(1).repeatCount(2, true), 0);
    EXPECT_NEAR(twice.value(1.5), 0.5, 1e-9);
    EXPECT_FALSE(twice.step(2.01));
    EXPECT_EQ(twice.value(3), 1);  // ends on its target
}

TEST(Animator, CompletionTokenIsReleasedWhenTheMotionEnds)
{
    Animator a(0);
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    a.set(1, Animation::easeIn(0.2), 0, token);
    token.reset();
    EXPECT_FALSE(watch.expired());
    a.step(0.1);
    EXPECT_FALSE(watch.expired());
    a.step(0.25);
    EXPECT_TRUE(watch.expired());
}

TEST(FrameDriver, TicksOnTheApplicationClockAndStopsWhenNothingAsks)
{
    vesk::VirtualTime time;
    std::vector<double> frames;
    kit::FrameDriver::Request request;
    std::function<void(double)> onFrame = [&](double now) {
        frames.push_back(now);
        if (frames.size() < 3)
            request = kit::FrameDriver::shared().request(onFrame);
    };
    request = kit::FrameDriver::shared().request(onFrame);
    time.advance(1);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_NEAR(frames[0], kit::FrameDriver::interval, 1e-9);
    EXPECT_NEAR(frames[2] - frames[1], kit::FrameDriver::interval, 1e-9);
    EXPECT_FALSE(kit::FrameDriver::shared().isScheduled());
    EXPECT_EQ(time.queue().pendingCount(), 0u);

    // A withdrawn request leaves nothing scheduled.
    request = kit::FrameDriver::shared().request([&](double) { frames.push_back(-1); });
    request.cancel();
    EXPECT_EQ(time.queue().pendingCount(), 0u);
    time.advance(1);
    EXPECT_EQ(frames.size(), 3u);
}

TEST(Animator, SpringByDurationAndBounce)
{
    EXPECT_EQ(Animation::springDuration(0.5, 0.15), Animation::spring(0.5, 0.85));
    EXPECT_EQ(Animation::springDuration(0.5, 0), Animation::spring(0.5, 1));
    EXPECT_GT(Animation::springDuration(0.5, -0.5).dampingFraction, 1);  // negative bounce: overdamped
}

TEST(Animator, LoopPhasedByTheClockContinuesWhenSetAgain)
{
    const Animation loop = Animation::easeInOut(2).repeatForever(true).phasedFrom(1.0);
    Animator a(2);
    a.set(30, loop, 10.0);
    // Runs are counted from t = 1: at t = 10 the loop is 4.5 periods in, coming back down.
    const double at10 = a.value(10.0);
    EXPECT_NEAR(at10, 2 + 28 * kit::TimingCurve::of(Animation::Kind::easeInOut).valueAt(0.5), 1e-6);
    const double at11 = a.value(11.0);
    a.set(30, loop, 10.5);  // added again, as every update does
    EXPECT_NEAR(a.value(11.0), at11, 1e-9);
    Animator b(2);
    b.set(30, loop, 13.0);  // started later, same phase
    EXPECT_NEAR(b.value(14.0), a.value(14.0), 1e-9);
}
