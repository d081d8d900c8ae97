#include "Model/IslandLayout.h"

#include "Model/NotchViewModel.h"
#include "Model/Defaults.h"

#include <algorithm>
#include <cstdlib>

namespace vesk {

IslandLayout::IslandLayout(std::shared_ptr<NotchViewModel> primary, IslandWindowFactory &factory, Screens &screens)
    : primary_(std::move(primary)), factory_(factory), screens_(screens)
{
    Q_ASSERT(primary_ && primary_->isPrimary());
}

std::vector<IslandLayout::Entry> IslandLayout::entries(const std::vector<Screen> &screens, bool notchDisplayPill,
                                                       const std::string &externalDisplayStyle,
                                                       const std::optional<std::string> &debugStyle)
{
    std::vector<Entry> list;
    if (screens.empty())
        return list;
    auto notched = [](const Screen &s) { return s.safeAreaTop > 0; };
    auto primaryIt = std::find_if(screens.begin(), screens.end(), notched);
    const size_t primaryIndex = primaryIt == screens.end() ? 0 : static_cast<size_t>(primaryIt - screens.begin());

    std::vector<size_t> order{primaryIndex};
    for (size_t i = 0; i < screens.size(); ++i) {
        if (i != primaryIndex)
            order.push_back(i);
    }
    for (size_t i : order) {
        const Screen &screen = screens[i];
        std::optional<IslandStyle> style;
        if (notched(screen))
            style = notchDisplayPill ? IslandStyle::pill : IslandStyle::notch;
        else if (externalDisplayStyle == "hidden")
            style = i == primaryIndex ? std::optional(IslandStyle::notch) : std::nullopt;
        else
            style = externalDisplayStyle == "pill" ? IslandStyle::pill : IslandStyle::notch;
        if (!style)
            continue;
        // Islands are matched to screens by number; a second screen with the same number would
        // share the first one's island, so it gets none. (The screens service gives every present
        // output its own number; this keeps the layout sound whatever a service reports.)
        if (std::any_of(list.begin(), list.end(), [&](const Entry &e) { return e.display == screen.displayNumber; }))
            continue;
        list.push_back({screen.displayNumber, *style});
    }
    if (debugStyle == std::optional<std::string>("pill") && !list.empty())
        list.front().style = IslandStyle::pill;
    return list;
}

std::string IslandLayout::key(const std::vector<Entry> &entries)
{
    std::string text;
    for (const auto &entry : entries) {
        if (!text.empty())
            text += ',';
        text += std::to_string(entry.display) + ':' + name(entry.style);
    }
    return text;
}

void IslandLayout::retire(IslandWindow &island)
{
    island.close();
    primary_->removeMirror(island.model());
}

void IslandLayout::syncIslands(bool force)
{
    const auto screens = screens_.screens();
    if (screens.empty())
        return;
    const auto &defaults = UserDefaults::standard();
    std::optional<std::string> debugStyle;
    if (const char *value = std::getenv("VESK_DEBUG_STYLE"))
        debugStyle = value;
    const auto list = entries(screens, defaults.value(settings::notchDisplayPill),
                              defaults.value(settings::externalDisplayStyle), debugStyle);
    const std::string newKey = key(list);
    if (!force && newKey == islandLayout_)
        return;
    islandLayout_ = newKey;

    // A new primary display rebuilds everything, so the primary model moves with it.
    if (islands_.empty() || list.empty() || islands_.front()->display() != list.front().display) {
        for (auto &island : islands_)
            retire(*island);
        islands_.clear();
    }
    for (auto &island : islands_) {
        const bool kept = std::any_of(list.begin(), list.end(), [&](const Entry &e) { return e.display == island->display(); });
        if (!kept)
            retire(*island);
    }

    std::vector<std::shared_ptr<IslandWindow>> next;
    for (const auto &entry : list) {
        auto found = std::find_if(islands_.begin(), islands_.end(),
                                  [&](const auto &island) { return island->display() == entry.display; });
        if (found != islands_.end()) {
            auto &island = *found;
            if (island->style() != entry.style) {
                island->setStyle(entry.style);
                island->reposition();
            }
            island->reposition();
            next.push_back(island);
            continue;
        }
        std::shared_ptr<NotchViewModel> model =
            islands_.empty() && entry.display == list.front().display ? primary_ : NotchViewModel::makeMirror(*primary_);
        next.push_back(factory_.makeIsland(std::move(model), entry.display, entry.style));
    }
    islands_ = std::move(next);
}

}  // namespace vesk
