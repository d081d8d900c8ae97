#pragma once

#include "Model/IslandTypes.h"
#include "Model/Peek.h"
#include "Kit/Kit.h"

#include <functional>
#include <optional>

namespace vesk {

class NotchViewModel;

// The capsule's second-activity bubble: a black drop grows out of the capsule's right end,
// stretches into a bubble of its own through a liquid neck that thins and breaks, and the compact
// readout fades in inside it. Its origin is the capsule's top-left corner. `progress` runs from 0
// (inside the capsule) to 1 (a separate bubble), above 1 while a spring overshoots; the view follows
// every presented value of it. The readout's measured width goes to `onWidth`.
struct LiquidBubble {
    NotchViewModel *model = nullptr;
    double progress = 0;
    Size island;
    Size bubble;
    double gap = 6;
    std::optional<Peek> peek;
    std::function<void(double)> onWidth;

    kit::Element body(const kit::Env &env) const;

    // The bubble's geometry at one progress value, in the capsule's coordinates.
    struct Shape {
        double dropHeight = 0;  // D
        double dropX = 0;       // x, the drop's left edge
        double dropY = 0;
        double dropWidth = 0;   // W
        double neck = 0;        // N, the neck's strength, drawn as a blur radius
        bool moving = false;
        double readoutOpacity = 0;
        double readoutScale = 0.9;
        double readoutX = 0;
        double readoutY = 0;
    };
    static Shape shape(double progress, Size island, Size bubble, double gap);

    // Above this neck strength the capsule and drop are drawn merged through a blur and threshold.
    static constexpr double neckThreshold = 0.3;
    static constexpr double pad = 20;
};

}  // namespace vesk
