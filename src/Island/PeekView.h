#pragma once

#include "Model/Peek.h"
#include "Kit/Kit.h"

namespace vesk {

class NotchViewModel;

// The small horizontal gauge of the volume and brightness readouts: a dim track and a white bar
// of `level` (clamped to 0...1), 58 x 5 points.
struct LevelBar {
    float level = 0;
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const LevelBar &, const LevelBar &) = default;

    static constexpr double width = 58;
    static constexpr double height = 5;
};

// One readout or ongoing activity beside the notch: a symbol on the left and, on the right, a
// level bar, a spinner, a live countdown or a short text. The full form fills the swollen closed
// island from edge to edge and reports the natural width of its right-hand content to the model
// (through an invisible copy laid out behind it); the compact form is the small pill inside the
// capsule's bubble.
struct PeekView {
    NotchViewModel *model = nullptr;
    Peek peek;
    bool isCompact = false;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const PeekView &, const PeekView &) = default;

    // What a readout looks like, case by case (pure, for the view and its tests).
    struct Look {
        QString symbol;
        kit::Color tint;
        kit::Color textTint;
    };
    static Look look(const Peek &peek, const NotchViewModel &model);

    // Sizes derived from the closed island's height `h`.
    struct Metrics {
        double e = 3;     // the capsule's inset: max(round(0.2 h), 3), halves away from zero
        double rim = 0;   // 1.5 in the capsule style with the rim shown
        double slot = 0;  // the side of the symbol's square, never below 0
        double symbolSize = 0;
    };
    static Metrics metrics(double h, bool pill, bool showsRim);

    // Widths that stand for the bar and the spinner in the measuring copy.
    static constexpr double barProbeWidth = 58;
    static constexpr double spinnerProbeWidth = 14;
};

// A text from outside (a device or input-source name, an extension's label) as one line: line
// breaks and other control characters become spaces.
QString oneLine(const QString &text);

}  // namespace vesk
