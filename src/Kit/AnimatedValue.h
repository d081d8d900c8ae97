#pragma once

#include "Kit/Animator.h"
#include "Kit/FrameDriver.h"

#include <functional>
#include <optional>

namespace kit {

// A number animated outside any node tree (a controller's own value, a painter's input). Read
// value() at any time: it is the presentation value, the target once the motion has ended, so
// callers never ask whether it is animating. Ticks on the shared frame driver while it moves.
class AnimatedValue {
public:
    explicit AnimatedValue(double initial = 0) : animator_(initial) {}
    AnimatedValue(const AnimatedValue &) = delete;
    AnimatedValue &operator=(const AnimatedValue &) = delete;

    // Moves to `target` with the current transaction's animation (jumps outside one).
    void set(double target);
    void set(double target, const std::optional<Animation> &animation);
    double value() const;
    double target() const { return animator_.target(); }
    bool isAnimating() const { return animator_.isActive(); }

    // Called on every frame while the value moves, and once more when it comes to rest.
    std::function<void()> onFrame;

private:
    void tick(double now);
    Animator animator_;
    FrameDriver::Request frame_;
};

}  // namespace kit
