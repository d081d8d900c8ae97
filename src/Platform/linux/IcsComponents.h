#pragma once

// The components of a parsed iCalendar file, for the files that read it (IcsCalendar.cpp,
// IcsRecurrence.cpp).

#include <libical/ical.h>

namespace vesk::ics {

inline icalcomponent *asComponent(void *p) { return static_cast<icalcomponent *>(p); }

// The VCALENDARs of a parse: the root itself, or the ones under the XROOT of a multi-calendar file.
template <typename Fn>
void forEachCalendar(icalcomponent *root, Fn &&fn)
{
    if (!root)
        return;
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
        fn(root);
        return;
    }
    if (icalcomponent_isa(root) == ICAL_VEVENT_COMPONENT) {
        fn(root);  // a bare event: its own calendar
        return;
    }
    for (icalcomponent *c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        fn(c);
}

template <typename Fn>
void forEachEvent(icalcomponent *calendar, Fn &&fn)
{
    if (icalcomponent_isa(calendar) == ICAL_VEVENT_COMPONENT) {
        fn(calendar);
        return;
    }
    for (icalcomponent *e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
        fn(e);
}

}  // namespace vesk::ics
