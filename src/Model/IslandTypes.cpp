#include "Model/IslandTypes.h"

#include <array>

namespace vesk {

namespace {
constexpr std::array stateNames = {"closed", "live", "trackPreview", "eventPreview",
                                   "peek",   "open", "onboarding",   "update"};
}

const char *name(NotchState state)
{
    return stateNames[static_cast<size_t>(state)];
}

const char *name(IslandStyle style)
{
    return style == IslandStyle::notch ? "notch" : "pill";
}

std::optional<NotchState> notchStateNamed(const std::string &text)
{
    for (size_t i = 0; i < stateNames.size(); ++i) {
        if (text == stateNames[i])
            return static_cast<NotchState>(i);
    }
    return std::nullopt;
}

std::optional<std::string> IslandPage::extensionID() const
{
    if (const auto *ext = std::get_if<Ext>(&value_))
        return ext->id;
    return std::nullopt;
}

std::string IslandPage::description() const
{
    if (isMedia())
        return "media";
    if (isCalendar())
        return "calendar";
    if (isTimer())
        return "timer";
    return "ext:" + *extensionID();
}

std::optional<IslandPage> IslandPage::fromDescription(const std::string &text)
{
    if (text == "media")
        return media();
    if (text == "calendar")
        return calendar();
    if (text == "timer")
        return timer();
    if (text.rfind("ext:", 0) == 0 && text.size() > 4)
        return ext(text.substr(4));
    return std::nullopt;
}

}  // namespace vesk
