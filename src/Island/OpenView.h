#pragma once

#include "Model/IslandTypes.h"
#include "Kit/Kit.h"

#include <functional>

namespace vesk {

class NotchViewModel;

// The page area of the open island: every page of the model laid on top of each other at the open
// size. The current page shows; turning or dragging cross-fades the neighbours with a blur and a
// slight shrink. Only pages within one page of the position are built at all.
struct OpenView {
    // The pages other views draw (media player, calendar, timer); an empty slot draws nothing.
    struct Slots {
        std::function<kit::Element(NotchViewModel &)> media;
        std::function<kit::Element(NotchViewModel &)> calendar;
        std::function<kit::Element(NotchViewModel &)> timer;
        static Slots &standard();
    };

    NotchViewModel *model = nullptr;
    const Slots *pageViews = &Slots::standard();

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const OpenView &, const OpenView &) = default;

    // The page position: `page` less the drag in page widths (a drag to the right goes back).
    static double position(int page, double pageDrag, double openWidth);
    // How far the page at `index` is from `position`, at most 1.
    static double distance(int index, double position);
    // Room above the timer and extension pages: 16 in the capsule style, the notch's height else.
    static double topInset(IslandStyle style, double notchHeight);

    static constexpr double pageShrink = 0.06;
    static constexpr double pageBlur = 14;
};

}  // namespace vesk
