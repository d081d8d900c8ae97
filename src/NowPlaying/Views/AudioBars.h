#pragma once

#include "Kit/Kit.h"

namespace vesk {

// The music visualiser: a row of thin bars that bounce while music plays, a row of small dots
// while it is paused, blurred and dimmed while the output is muted. It does not listen to the
// audio: each bar loops on a period of its own, all phased from one clock time, so describing the
// row again continues the bounce without a jump and no view body runs per frame.
struct AudioBars {
    kit::Color color = kit::Color::white();
    bool isAnimating = false;
    int barCount = 5;
    bool isMuted = false;

    // Seconds per bounce of bar `index` (one way; a cycle is twice this).
    static double period(int index);
    // Width of one bar in a row `width` points wide: 2 points apart, never under 1.
    static double barWidth(double width, int barCount);
    static double cornerRadius(double barWidth) { return std::min(barWidth, 2.0) / 2; }
    // Horizontal centre of bar `index`.
    static double centre(double barWidth, int index) { return barWidth / 2 + (barWidth + 2) * index; }

    static constexpr double restHeight = 2;
    static constexpr double loopPhase = 1.0;  // clock time the loops count from
    // The bounce is drawn 20 times a second. While a track plays it is all that moves in the
    // closed island, all day, and every frame costs the display server and the compositor a round
    // of work. Bars this small and quick still read as one smooth bounce at this rate.
    static constexpr double frameInterval = 1.0 / 20;
    static constexpr double rowsDuration = 0.45;
    static constexpr double pausedScale = 0.15;
    static constexpr double mutedBlur = 2.2;
    static constexpr double mutedOpacity = 0.45;
    static constexpr double muteDuration = 0.3;

    kit::Element body(const kit::Env &env) const;
    // The dots and the bars, the bars bouncing when `bounce`.
    kit::Element rows(bool bounce) const;
    friend bool operator==(const AudioBars &, const AudioBars &) = default;
};

}  // namespace vesk
