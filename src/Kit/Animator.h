#pragma once

#include "Kit/Animation.h"

#include <memory>
#include <optional>

namespace kit {

// The motion of a damped spring with unit mass: stiffness (2π / response)², damping
// 4πζ / response. Given the displacement from the target and the velocity at t = 0, it answers both
// at any later time in closed form, so presentation values need no integration step.
struct Spring {
    double response = 0.5;
    double dampingFraction = 1.0;

    double stiffness() const;
    double damping() const;
    // Displacement and velocity `t` seconds after starting at (x0, v0).
    double displacement(double x0, double v0, double t) const;
    double velocity(double x0, double v0, double t) const;
};

// The timing curve of the ease animations: a cubic Bézier from (0, 0) to (1, 1) with control
// points (x1, y1) and (x2, y2), solved for y at a given x (the fraction of time elapsed).
struct TimingCurve {
    double x1, y1, x2, y2;
    double valueAt(double x) const;
    static TimingCurve of(Animation::Kind kind);
};

// One animated number. It answers its presentation value at any time; a new target under an
// animation starts from the value on screen, and a spring keeps its velocity when retargeted, so a
// change of mind mid-flight never jerks. With no animation it jumps.
//
// A spring counts as settled once it is within 0.001 of its target and moving slower than 0.01
// units per second (the units are those of the value: points, opacity, degrees); it then snaps to
// the target and stops asking for frames.
class Animator {
public:
    Animator() = default;
    explicit Animator(double value) : target_(value), from_(value) {}

    // Sets a new target at time `now`. `completion` is held until this motion ends or is replaced.
    void set(double target, const std::optional<Animation> &animation, double now,
             std::shared_ptr<void> completion = {});
    void jump(double value);

    double target() const { return target_; }
    double value(double now) const;
    double velocity(double now) const;
    bool isActive() const { return active_; }
    // Settles the motion if it has ended by `now`; returns whether it is still moving.
    bool step(double now);

private:
    double curveProgress(double elapsed) const;
    bool finishedAt(double now) const;

    double target_ = 0;
    double from_ = 0;      // curves: start value; springs: start value (displacement from target_)
    double v0_ = 0;        // springs: start velocity
    double start_ = 0;     // when the motion (after its delay) begins
    Animation animation_;
    bool active_ = false;
    std::shared_ptr<const Animator> before_;  // the motion that continues during a delay
    std::shared_ptr<void> completion_;
};

}  // namespace kit
