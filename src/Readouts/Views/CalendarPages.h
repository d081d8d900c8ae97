#pragma once

#include "Island/OpenView.h"

#include <QColor>

#include <vector>

namespace vesk {

// The colours of calendars that name none, in the order the store picks them by path.
std::vector<QColor> calendarFallbackColours();

// Puts the calendar page and the timer page into the open island's page slots.
void fillCalendarPageSlots(OpenView::Slots &pages);

}  // namespace vesk
