#pragma once

#include <compare>

namespace kit {

// A description of how a change moves: a spring given by response and damping fraction, or a
// timing curve with a duration. Any of them may be delayed. Plain values: two equal descriptions
// are the same animation.
struct Animation {
    enum class Kind { spring, easeIn, easeOut, easeInOut, linear };

    Kind kind = Kind::spring;
    double response = 0.5;         // springs: seconds for one undamped period
    double dampingFraction = 1.0;  // springs: 1 is critically damped, below 1 overshoots
    double duration = 0.0;         // curves: seconds
    double delay = 0.0;            // seconds before the change starts moving

    static constexpr Animation spring(double response, double dampingFraction)
    {
        return {Kind::spring, response, dampingFraction, 0.0, 0.0};
    }
    static constexpr Animation easeIn(double duration) { return {Kind::easeIn, 0, 0, duration, 0.0}; }
    static constexpr Animation easeOut(double duration) { return {Kind::easeOut, 0, 0, duration, 0.0}; }
    static constexpr Animation easeInOut(double duration) { return {Kind::easeInOut, 0, 0, duration, 0.0}; }
    static constexpr Animation linear(double duration) { return {Kind::linear, 0, 0, duration, 0.0}; }

    constexpr Animation delayed(double seconds) const
    {
        Animation copy = *this;
        copy.delay = seconds;
        return copy;
    }
    constexpr bool isSpring() const { return kind == Kind::spring; }

    friend constexpr bool operator==(const Animation &, const Animation &) = default;
};

}  // namespace kit
