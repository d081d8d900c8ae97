#pragma once

#include "Kit/Kit.h"

#include <QString>

#include <optional>

namespace vesk {

// A title or artist line that scrolls sideways in a seamless loop when it is wider than its slot
// and scrolling is wanted; otherwise it ends in an ellipsis (and fades at the right edge when it
// overflows). The movement and the edge fade are loops of the toolkit, so a scrolling title
// describes no view on its frames.
struct MarqueeText {
    QString text;
    double fontSize = 13;
    kit::Weight weight = kit::Weight::regular;
    kit::Color color = kit::Color::white();
    std::optional<bool> isActive;  // none: while the island is open

    static constexpr double gap = 36;          // between the end of the text and its copy
    static constexpr double speed = 28;        // points per second
    static constexpr double pause = 2.0;       // at the start of each loop
    static constexpr double edgeFade = 0.25;   // the left edge's fade coming and going
    static constexpr double extraWidth = 2;    // of an untruncated copy

    // How a line of width `textWidth` (measured, unrounded) sits in a slot `slotWidth` wide.
    struct Layout {
        double tw = 0;          // the measured width rounded up
        double period = 0;      // tw + gap: how far one loop moves
        bool scrolls = false;   // moves (wider than the slot and scrolling wanted)
        bool truncated = false; // cut with an ellipsis at the slot's width
        bool masked = false;    // the edge fade applies (wider than the slot)
        double copyWidth = 0;   // the width of each text copy
        bool operator==(const Layout &) const = default;
    };
    static Layout layout(double textWidth, double slotWidth, bool wantsScrolling);

    // One loop's timing: `total` seconds, of which the first fraction `p` is the pause.
    struct Timing {
        double total = 0;
        double p = 0;
    };
    static Timing timing(double period);
    // The offset (0, 0, -period at 0, p, 1 of the loop) and the left edge's fade (0 resting, 1
    // scrolling) as loops counted from `phase`.
    static kit::Loop offsetLoop(double period, double phase);
    static kit::Loop fadeLoop(double period, double phase);

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const MarqueeText &, const MarqueeText &) = default;
};

}  // namespace vesk
