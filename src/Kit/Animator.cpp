#include "Kit/Animator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kit {

namespace {
constexpr double kSettleDistance = 1e-3;
constexpr double kSettleSpeed = 1e-2;
}  // namespace

double Spring::stiffness() const
{
    const double w = 2 * std::numbers::pi / response;
    return w * w;
}

double Spring::damping() const { return 4 * std::numbers::pi * dampingFraction / response; }

double Spring::displacement(double x0, double v0, double t) const
{
    const double w0 = 2 * std::numbers::pi / response;
    const double z = dampingFraction;
    if (z < 1) {
        const double wd = w0 * std::sqrt(1 - z * z);
        return std::exp(-z * w0 * t) * (x0 * std::cos(wd * t) + (v0 + z * w0 * x0) / wd * std::sin(wd * t));
    }
    if (z == 1)
        return std::exp(-w0 * t) * (x0 + (v0 + w0 * x0) * t);
    const double s = std::sqrt(z * z - 1);
    const double r1 = -w0 * (z - s), r2 = -w0 * (z + s);
    const double c2 = (v0 - r1 * x0) / (r2 - r1), c1 = x0 - c2;
    return c1 * std::exp(r1 * t) + c2 * std::exp(r2 * t);
}

double Spring::velocity(double x0, double v0, double t) const
{
    const double w0 = 2 * std::numbers::pi / response;
    const double z = dampingFraction;
    if (z < 1) {
        const double wd = w0 * std::sqrt(1 - z * z);
        const double a = x0, b = (v0 + z * w0 * x0) / wd;
        const double e = std::exp(-z * w0 * t), c = std::cos(wd * t), s = std::sin(wd * t);
        return e * (-z * w0 * (a * c + b * s) + (-a * wd * s + b * wd * c));
    }
    if (z == 1) {
        const double b = v0 + w0 * x0;
        return std::exp(-w0 * t) * (b - w0 * (x0 + b * t));
    }
    const double s = std::sqrt(z * z - 1);
    const double r1 = -w0 * (z - s), r2 = -w0 * (z + s);
    const double c2 = (v0 - r1 * x0) / (r2 - r1), c1 = x0 - c2;
    return c1 * r1 * std::exp(r1 * t) + c2 * r2 * std::exp(r2 * t);
}

TimingCurve TimingCurve::of(Animation::Kind kind)
{
    switch (kind) {
    case Animation::Kind::easeIn: return {0.42, 0, 1, 1};
    case Animation::Kind::easeOut: return {0, 0, 0.58, 1};
    case Animation::Kind::easeInOut: return {0.42, 0, 0.58, 1};
    default: return {0, 0, 1, 1};
    }
}

double TimingCurve::valueAt(double x) const
{
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;
    auto bez = [](double p1, double p2, double t) {
        const double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    };
    auto dbez = [](double p1, double p2, double t) {
        const double u = 1 - t;
        return 3 * u * u * p1 + 6 * u * t * (p2 - p1) + 3 * t * t * (1 - p2);
    };
    // Newton first; bisection where the slope is too flat to trust.
    double t = x;
    for (int i = 0; i < 8; ++i) {
        const double err = bez(x1, x2, t) - x;
        if (std::abs(err) < 1e-9)
            return bez(y1, y2, t);
        const double d = dbez(x1, x2, t);
        if (std::abs(d) < 1e-6)
            break;
        t -= err / d;
    }
    double lo = 0, hi = 1;
    t = x;
    for (int i = 0; i < 60; ++i) {
        const double v = bez(x1, x2, t);
        if (std::abs(v - x) < 1e-10)
            break;
        (v < x ? lo : hi) = t;
        t = (lo + hi) / 2;
    }
    return bez(y1, y2, t);
}

void Animator::jump(double value)
{
    target_ = from_ = value;
    v0_ = 0;
    active_ = false;
    before_.reset();
    completion_.reset();
}

void Animator::set(double target, const std::optional<Animation> &animation, double now,
                   std::shared_ptr<void> completion)
{
    if (!animation) {
        jump(target);
        return;
    }
    // Nothing new: the same target under the same animation keeps the motion as it is (a loop
    // set again continues without a jump).
    if (target == target_ && (!active_ || *animation == animation_))
        return;
    const double delay = std::max(0.0, animation->delay);
    // The motion in flight goes on during the delay; the new one begins from where it will be.
    std::shared_ptr<const Animator> before;
    if (delay > 0)
        before = std::make_shared<const Animator>(*this);
    const double startValue = value(now + delay);
    const double startVelocity = velocity(now + delay);
    target_ = target;
    animation_ = *animation;
    start_ = now + delay;
    if (!animation->isSpring() && animation->repeats != 0 && animation->beginTime >= 0 && animation->beginTime <= start_)
        start_ = animation->beginTime;
    from_ = startValue;
    v0_ = animation->isSpring() ? startVelocity : 0;
    before_ = std::move(before);
    completion_ = std::move(completion);
    active_ = true;
}

double Animator::curveProgress(double elapsed) const
{
    const double d = animation_.duration;
    if (d <= 0)
        return 1;
    const double runs = double(animation_.repeats) + 1;
    double run = std::floor(elapsed / d);
    if (animation_.repeats >= 0 && run >= runs)
        return (animation_.autoreverses && int(runs) % 2 == 0) ? 0 : 1;
    double fraction = (elapsed - run * d) / d;
    if (animation_.autoreverses && int(run) % 2 == 1)
        fraction = 1 - fraction;
    return TimingCurve::of(animation_.kind).valueAt(fraction);
}

double Animator::value(double now) const
{
    if (!active_)
        return target_;
    const double t = now - start_;
    if (t < 0)
        return before_ ? before_->value(now) : from_;
    if (animation_.isSpring())
        return target_ + Spring{animation_.response, animation_.dampingFraction}.displacement(from_ - target_, v0_, t);
    if (finishedAt(now))
        return target_;
    return from_ + (target_ - from_) * curveProgress(t);
}

double Animator::velocity(double now) const
{
    if (!active_)
        return 0;
    const double t = now - start_;
    if (t < 0)
        return before_ ? before_->velocity(now) : 0;
    if (animation_.isSpring())
        return Spring{animation_.response, animation_.dampingFraction}.velocity(from_ - target_, v0_, t);
    const double h = 1e-4;
    return (value(now + h) - value(now)) / h;
}

bool Animator::finishedAt(double now) const
{
    const double t = now - start_;
    if (t < 0)
        return false;
    if (animation_.isSpring()) {
        const Spring spring{animation_.response, animation_.dampingFraction};
        return std::abs(spring.displacement(from_ - target_, v0_, t)) <= kSettleDistance
               && std::abs(spring.velocity(from_ - target_, v0_, t)) <= kSettleSpeed;
    }
    if (animation_.repeats < 0)
        return false;
    return t >= animation_.duration * (animation_.repeats + 1);
}

bool Animator::step(double now)
{
    if (!active_)
        return false;
    if (before_ && now >= start_)
        before_.reset();
    if (!finishedAt(now))
        return true;
    jump(target_);
    return false;
}

}  // namespace kit
