#include "Kit/AnimatedValue.h"

#include "Kit/Transaction.h"

#include "Base/Clock.h"

namespace kit {

void AnimatedValue::set(double target)
{
    const Transaction &t = Transaction::current();
    animator_.set(target, t.disablesAnimations ? std::nullopt : t.animation, vesk::appClock().now(), t.completion);
    if (animator_.isActive() && !frame_.isPending())
        frame_ = FrameDriver::shared().request([this](double now) { tick(now); });
}

void AnimatedValue::set(double target, const std::optional<Animation> &animation)
{
    animator_.set(target, animation, vesk::appClock().now());
    if (animator_.isActive() && !frame_.isPending())
        frame_ = FrameDriver::shared().request([this](double now) { tick(now); });
}

double AnimatedValue::value() const { return animator_.value(vesk::appClock().now()); }

void AnimatedValue::tick(double now)
{
    if (animator_.step(now))
        frame_ = FrameDriver::shared().request([this](double t) { tick(t); });
    if (onFrame)
        onFrame();
}

}  // namespace kit
