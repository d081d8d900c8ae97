#include "Readouts/Views/CalendarPages.h"

#include "Readouts/Views/CalendarView.h"
#include "Readouts/Views/TimerView.h"

namespace vesk {

void fillCalendarPageSlots(OpenView::Slots &pages)
{
    pages.calendar = [](NotchViewModel &) { return kit::view(CalendarView{}); };
    pages.timer = [](NotchViewModel &) { return kit::view(TimerView{}); };
}

}  // namespace vesk
