#include "Readouts/Views/CalendarPages.h"

#include "Kit/Palette.h"
#include "Readouts/Views/CalendarView.h"
#include "Readouts/Views/TimerView.h"

namespace vesk {

std::vector<QColor> calendarFallbackColours()
{
    std::vector<QColor> colours;
    for (const kit::Color &c : {kit::palette::red, kit::palette::orange, kit::palette::yellow, kit::palette::green,
                                kit::palette::blue, kit::palette::purple, kit::palette::brown})
        colours.push_back(c.toQColor());
    return colours;
}

void fillCalendarPageSlots(OpenView::Slots &pages)
{
    pages.calendar = [](NotchViewModel &) { return kit::view(CalendarView{}); };
    pages.timer = [](NotchViewModel &) { return kit::view(TimerView{}); };
}

}  // namespace vesk
