#pragma once

#include "Island/NotchView.h"

namespace vesk {

// Fills the island view's islandSlots with the views of the closed, open and capsule islands: the
// readout, the open pages, the size label, the page tabs and the bubble. The application, the
// developer tools and the benchmarks all use this one filling.
void fillIslandViewSlots(NotchViewSlots &islandSlots);

}  // namespace vesk
