#pragma once

#include "Kit/Animation.h"
#include "Kit/Color.h"
#include "Kit/Keyframes.h"

#include <memory>
#include <optional>
#include <vector>

namespace kit {

// A number that moves for ever, as a pure function of the clock: a from-to curve repeated with
// its period (going back and forth when it auto-reverses, so a cycle is then twice the period), or
// a keyframe track played again and again. Runs are counted from the clock time `phase`, so a loop
// declared again later, or on another node, continues at the same phase without a jump. Before
// `phase` it rests at its start.
class Loop {
public:
    static Loop between(double from, double to, double period, Animation::Kind curve, bool autoreverses,
                        double phase)
    {
        Loop l;
        l.from_ = from;
        l.to_ = to;
        l.period_ = period;
        l.curve_ = curve;
        l.autoreverses_ = autoreverses;
        l.phase_ = phase;
        return l;
    }
    static Loop keyframes(KeyframeTrack track, double phase)
    {
        Loop l;
        l.track_ = std::move(track);
        l.isTrack_ = true;
        l.phase_ = phase;
        return l;
    }

    // The same loop drawn every `seconds` at most, where frames are wanted for loops alone. Its
    // motion is a function of the clock, so frames only sample it; a short bounce reads the same
    // at fewer frames than a text the eye follows. Zero keeps the driver's loop rate.
    Loop drawnEvery(double seconds) const
    {
        Loop l = *this;
        l.frameInterval_ = seconds;
        return l;
    }
    // Seconds between the frames it asks for, or 0 for the driver's loop rate.
    double frameInterval() const { return frameInterval_; }

    double value(double now) const;
    // Seconds until it repeats itself exactly (twice the period when it auto-reverses).
    double cycle() const;

    friend bool operator==(const Loop &, const Loop &) = default;

private:
    double from_ = 0, to_ = 0, period_ = 0;
    Animation::Kind curve_ = Animation::Kind::linear;
    bool autoreverses_ = false;
    KeyframeTrack track_;
    bool isTrack_ = false;
    double phase_ = 0;
    double frameInterval_ = 0;
};

// The node value a loop drives.
struct LoopTarget {
    enum class Kind {
        width,      // the content's frame, resized about the centre of the rectangle layout gave it
        height,
        offsetX,    // the content's drawing moves (layout unchanged), as .offset does
        offsetY,
        opacity,    // group opacity of the content
        value,      // the content's `index`-th painter value or shape number
        stopColor,  // the `index`-th stop of the content's gradient fill, mixed from `from` (loop 0) to `to` (1)
    };
    Kind kind = Kind::opacity;
    int index = 0;
    Color from, to;

    static LoopTarget width() { return {Kind::width, 0, {}, {}}; }
    static LoopTarget height() { return {Kind::height, 0, {}, {}}; }
    static LoopTarget offsetX() { return {Kind::offsetX, 0, {}, {}}; }
    static LoopTarget offsetY() { return {Kind::offsetY, 0, {}, {}}; }
    static LoopTarget opacity() { return {Kind::opacity, 0, {}, {}}; }
    static LoopTarget value(int index) { return {Kind::value, index, {}, {}}; }
    static LoopTarget stopColor(int index, Color from, Color to) { return {Kind::stopColor, index, from, to}; }
    // Driven on the content node itself rather than drawn by the loop's own node.
    bool isContentValue() const { return kind == Kind::width || kind == Kind::height || kind == Kind::value || kind == Kind::stopColor; }

    friend bool operator==(const LoopTarget &, const LoopTarget &) = default;
};

struct LoopBinding {
    LoopTarget target;
    Loop loop;
    friend bool operator==(const LoopBinding &, const LoopBinding &) = default;
};
using LoopBindings = std::vector<LoopBinding>;

enum class Prop : int;
// The value a binding gives `prop` at `now` (width, height, offsets, opacity, painter values), if any.
std::optional<double> loopedValue(const LoopBindings &bindings, Prop prop, double now);
// `gradient` with the stop colours its bindings mix at `now`.
LinearGradient loopedGradient(const LinearGradient &gradient, const LoopBindings &bindings, double now);

}  // namespace kit
