#pragma once

#include "Kit/Kit.h"
#include "NowPlaying/Track.h"

#include <QString>

namespace vesk {

class NotchViewModel;

// The knob on the lock card's bar: an opaque white capsule with a soft shadow (there is no glass
// here), filling the frame it is given.
struct GlassKnob {
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const GlassKnob &, const GlassKnob &) = default;
};

// The playing position: the elapsed time, a bar that a click or drag seeks with, and the time
// left. The position is projected from the track record on a timeline of its own (twice a second
// while shown and playing, hourly otherwise); a drag shows the pointer's position and seeks on
// release. The island model is the environment's `islandModel`.
struct ScrubberView {
    Track track;
    bool glassKnob = false;
    bool isVisible = false;

    static constexpr double barHeight = 16;

    // The labels' font, made once: 10 points, medium, monospaced digits.
    static const kit::Font &labelFont();
    // Whole seconds, rounded down: "m:ss" below an hour, "h:mm:ss" from one; negative and not
    // finite values read "0:00".
    static QString format(double seconds);
    // The width both labels take for this track: the widest text either can show, at least 28.
    static double labelWidth(double shownElapsed, double duration);
    // The right-hand label: the time left, or "--:--" without a duration.
    static QString remainingText(double shownElapsed, double duration);

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const ScrubberView &, const ScrubberView &) = default;
};

}  // namespace vesk
