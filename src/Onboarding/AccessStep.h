#pragma once

#include "Kit/Kit.h"

#include <QString>

namespace vesk {

class NotchViewModel;

// The tour's permissions page: calendar access, taking the media keys (Accessibility) and
// launching at login, each a row with its current state. The states are read afresh on every
// redraw and, while the page is visible, every second; hidden, the rows wait an hour between
// reads (so in practice nothing polls).
struct AccessStep {
    NotchViewModel *model = nullptr;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const AccessStep &, const AccessStep &) = default;

    // Shows the desktop's privacy settings at `anchor`. Linux has no such page: the platform
    // service does nothing (the simulated one records the anchor).
    static void openPrivacy(const QString &anchor);

    static constexpr const char *calendarAnchor = "Privacy_Calendars";
    static constexpr double visiblePeriod = 1;     // seconds between reads while shown
    static constexpr double hiddenPeriod = 3600;
};

}  // namespace vesk
