#pragma once

#include "Model/IslandTypes.h"
#include "Platform/Screens.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

class NotchViewModel;

// An island's window controller as the layout drives it. Each knows its model, its display and its
// style; `reposition()` finds the display's screen, lets the model measure it and places the window.
class IslandWindow {
public:
    virtual ~IslandWindow() = default;
    virtual NotchViewModel &model() const = 0;
    virtual uint32_t display() const = 0;
    virtual IslandStyle style() const = 0;
    virtual void setStyle(IslandStyle style) = 0;
    virtual void reposition() = 0;
    // Stops the window for good; a closed window is never reused.
    virtual void close() = 0;
    // While the screen is locked the window stays ordered out, also when it is created or re-placed
    // meanwhile (a new top-level window could otherwise appear above the locker). Clearing it orders
    // the window front.
    virtual void setHiddenWhileLocked(bool hidden) { (void)hidden; }
};

// Creates the window controller of one island (and places it).
class IslandWindowFactory {
public:
    virtual ~IslandWindowFactory() = default;
    virtual std::shared_ptr<IslandWindow> makeIsland(std::shared_ptr<NotchViewModel> model, uint32_t display,
                                                     IslandStyle style) = 0;
};

// Decides which displays show an island and in which style, and brings the island windows in line:
// islands of departed displays close, kept ones take their new style and are re-placed, new displays
// get a new island. The primary display's island always carries the primary model; every other
// island carries a mirror of it. Main thread only.
class IslandLayout {
public:
    struct Entry {
        uint32_t display = 0;
        IslandStyle style = IslandStyle::notch;
        bool operator==(const Entry &) const = default;
    };

    IslandLayout(std::shared_ptr<NotchViewModel> primary, IslandWindowFactory &factory,
                 Screens &screens = vesk::screens());
    IslandLayout(const IslandLayout &) = delete;
    IslandLayout &operator=(const IslandLayout &) = delete;

    // Runs the layout. Unforced, nothing happens when the layout key is unchanged; forced, kept
    // islands are re-placed anyway. Without screens nothing changes at all.
    void syncIslands(bool force);

    // The entries for these screens and settings, the primary display first. A screen whose
    // display number another screen already has gets no entry of its own.
    static std::vector<Entry> entries(const std::vector<Screen> &screens, bool notchDisplayPill,
                                      const std::string &externalDisplayStyle,
                                      const std::optional<std::string> &debugStyle);
    // "1:notch,3:pill"; empty for no entries.
    static std::string key(const std::vector<Entry> &entries);

    const std::string &islandLayout() const { return islandLayout_; }
    const std::vector<std::shared_ptr<IslandWindow>> &islands() const { return islands_; }
    NotchViewModel &primary() const { return *primary_; }

private:
    void retire(IslandWindow &island);

    std::shared_ptr<NotchViewModel> primary_;
    IslandWindowFactory &factory_;
    Screens &screens_;
    std::string islandLayout_;
    std::vector<std::shared_ptr<IslandWindow>> islands_;
};

}  // namespace vesk
