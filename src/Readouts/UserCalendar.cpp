#include "Readouts/UserCalendar.h"

namespace vesk {

namespace {
std::optional<UserCalendar> &installed()
{
    static std::optional<UserCalendar> calendar;
    return calendar;
}
}  // namespace

UserCalendar UserCalendar::current() { return installed() ? *installed() : UserCalendar{}; }

void UserCalendar::setCurrent(std::optional<UserCalendar> calendar) { installed() = std::move(calendar); }

}  // namespace vesk
