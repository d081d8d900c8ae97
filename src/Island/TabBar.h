#pragma once

#include "Model/IslandTypes.h"
#include "Kit/Kit.h"

namespace vesk {

class NotchViewModel;

// The row of page dots under the open island: one dot per page, the current one a wider pill, each
// a button that jumps to its page and names it in a tooltip. Nothing at all with fewer than two
// pages. Shown and hidden on `isShown`; hidden dots take no clicks and no hover.
struct TabBar {
    NotchViewModel *model = nullptr;
    bool isShown = false;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const TabBar &, const TabBar &) = default;

    // The page's name: "Now Playing", "Calendar", "Timer", or an extension's catalogue name ("" when
    // the catalogue has none).
    static QString name(const IslandPage &page);

    static constexpr double height = 18;
};

}  // namespace vesk
