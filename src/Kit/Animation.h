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
    int repeats = 0;               // extra runs after the first; -1 repeats for ever
    bool autoreverses = false;     // every other run goes backwards
    double beginTime = -1;         // repeating curves: runs counted from this clock time (>= 0)

    static constexpr Animation spring(double response, double dampingFraction)
    {
        return {Kind::spring, response, dampingFraction, 0.0, 0.0, 0, false, -1};
    }
    static constexpr Animation easeIn(double duration) { return {Kind::easeIn, 0, 0, duration, 0.0, 0, false, -1}; }
    static constexpr Animation easeOut(double duration) { return {Kind::easeOut, 0, 0, duration, 0.0, 0, false, -1}; }
    static constexpr Animation easeInOut(double duration) { return {Kind::easeInOut, 0, 0, duration, 0.0, 0, false, -1}; }
    static constexpr Animation linear(double duration) { return {Kind::linear, 0, 0, duration, 0.0, 0, false, -1}; }

    constexpr Animation delayed(double seconds) const
    {
        Animation copy = *this;
        copy.delay = seconds;
        return copy;
    }
    // Runs `count` times in all (a curve only; springs settle once), going back and forth when
    // `autoreverses`. The phase of each run follows the clock from the moment the change began.
    constexpr Animation repeatCount(int count, bool reverses = true) const
    {
        Animation copy = *this;
        copy.repeats = count > 1 ? count - 1 : 0;
        copy.autoreverses = reverses;
        return copy;
    }
    constexpr Animation repeatForever(bool reverses = true) const
    {
        Animation copy = *this;
        copy.repeats = -1;
        copy.autoreverses = reverses;
        return copy;
    }
    // A spring described by how long it takes and how much it bounces (0 none, 1 for ever).
    static constexpr Animation springDuration(double duration, double bounce)
    {
        return spring(duration, bounce >= 0 ? 1.0 - bounce : 1.0 / (1.0 + (bounce > -0.99 ? bounce : -0.99)));
    }
    // A repeating curve whose runs are counted from the clock time `seconds` rather than from the
    // change: loops added again later continue at the same phase, without a jump.
    constexpr Animation phasedFrom(double seconds) const
    {
        Animation copy = *this;
        copy.beginTime = seconds;
        return copy;
    }
    constexpr bool isSpring() const { return kind == Kind::spring; }

    friend constexpr bool operator==(const Animation &, const Animation &) = default;
};

}  // namespace kit
