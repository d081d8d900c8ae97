#pragma once

#include "Island/OpenView.h"

namespace vesk {

// Puts the calendar page and the timer page into the open island's page slots.
void fillCalendarPageSlots(OpenView::Slots &pages);

}  // namespace vesk
