#pragma once

#include "Island/IslandInput.h"
#include "Platform/Screens.h"

namespace vesk {

class NotchViewModel;

// The island model as its window sees it: the input rules' view plus what placing, drawing and key
// status need. NotchViewModelBinding implements it for the island model; tests use fakes.
class NotchWindowModel : public IslandInputModel {
public:
    // Lets the model measure the display and take the style (staged: a style change is played as a
    // morph rather than a jump).
    virtual void updateNotch(const Screen &screen, IslandStyle style, bool staged) = 0;
    // Reads, in an observation tracking scope, what the window follows: the island's size, its
    // bubble, the tour page and the state.
    virtual void readTrackedFields() const = 0;
    // The onboarding tour runs in this island.
    virtual bool isOnboarding() const = 0;
    // The island model the window carries, for the layout that tracks its islands.
    virtual NotchViewModel &islandModel() const = 0;
};

}  // namespace vesk
