#include "Model/IslandTypes.h"

#include "Base/Overloaded.h"

#include <array>
#include <type_traits>

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

std::vector<IslandPage> IslandPage::builtIns()
{
    std::vector<IslandPage> pages;
    [&]<size_t... I>(std::index_sequence<I...>) {
        (
            [&] {
                using Kind = std::variant_alternative_t<I, Value>;
                if constexpr (!std::is_same_v<Kind, Ext>) {
                    // Copied rather than moved from a temporary: GCC 12 takes the move of a page
                    // without text for a read of the extension page's unset id, and warns.
                    const IslandPage page(Kind{});
                    pages.push_back(page);
                }
            }(),
            ...);
    }(std::make_index_sequence<std::variant_size_v<Value>>());
    return pages;
}

std::optional<IslandPage> IslandPage::builtIn(const std::string &name)
{
    for (IslandPage page : builtIns())
        if (page.description() == name)
            return page;
    return std::nullopt;
}

std::string IslandPage::description() const
{
    return visit(Overloaded{
        [](const Ext &ext) { return "ext:" + ext.id; },
        [](const auto &builtIn) { return std::string(builtIn.name); },
    });
}

std::optional<IslandPage> IslandPage::fromDescription(const std::string &text)
{
    if (auto page = builtIn(text))
        return page;
    if (text.rfind("ext:", 0) == 0 && text.size() > 4)
        return ext(text.substr(4));
    return std::nullopt;
}

}  // namespace vesk
