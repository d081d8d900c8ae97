#pragma once

#include "Kit/Kit.h"
#include "Updater/Updater.h"

namespace vesk {

class NotchViewModel;

// The small round badge in the open island's top trailing corner while an update downloads (a
// ring of its progress) or waits (an arrow); clicking it installs a waiting update.
struct UpdateBadge {
    NotchViewModel *model = nullptr;
    Updater *updater = nullptr;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const UpdateBadge &, const UpdateBadge &) = default;

    // Its distance from the top and from the trailing edge of the open island.
    struct Placement {
        double top = 0;
        double trailing = 0;
    };
    static Placement placement(const NotchViewModel &model);
};

// Puts the card into the island's `update` slot and the badge into its `updateBadge` slot.
struct NotchViewSlots;
void fillUpdateSlots(NotchViewSlots &islandSlots);

}  // namespace vesk
