#pragma once

#include "Model/IslandMetrics.h"
#include "Model/NotchViewModel.h"
#include "Model/Peek.h"
#include "Island/NotchViewPlan.h"
#include "Kit/Kit.h"
#include "Base/Observed.h"
#include "Island/ViewSetting.h"

#include <functional>

namespace vesk {

class NotchViewModel;

// What the island view places but other views draw: its five content layers and three
// decorations. Each slot receives the island's model; an empty slot draws nothing.
struct NotchViewSlots {
    // The pill's bubble beside the capsule: progress 0...1, the island's and the bubble's sizes,
    // the gap between them, and the activity it shows.
    struct Bubble {
        double progress = 0;
        Size island;
        Size bubble;
        double gap = 6;
        std::optional<Peek> peek;
    };

    std::function<kit::Element(NotchViewModel &, bool showsTitle)> liveActivity;
    std::function<kit::Element(NotchViewModel &, const Peek &)> readout;
    std::function<kit::Element(NotchViewModel &)> openView;
    std::function<kit::Element(NotchViewModel &)> updateBadge;
    std::function<kit::Element(NotchViewModel &)> onboarding;
    std::function<kit::Element(NotchViewModel &)> update;
    std::function<kit::Element(const std::optional<NotchViewModel::SizeAdjustment> &)> sizePreviewLabel;
    std::function<kit::Element(NotchViewModel &, bool isShown)> pageTabs;
    // Draws the bubble and reports its measured width through the callback.
    std::function<kit::Element(NotchViewModel &, const Bubble &, std::function<void(double)> widthChanged)> bubble;

    // The context menu's actions, which belong to the application: "Settings…" does nothing until
    // given, "Quit Vesk" quits the event loop unless given another way.
    std::function<void()> showSettings;
    std::function<void()> quit;

    // The slots every island view uses unless given others; filled in at start-up.
    static NotchViewSlots &standard();
};



namespace NotchViewMetrics {
inline constexpr kit::Color sizePreviewTint = kit::Color::rgb(0.92, 0.3, 0.36);
inline constexpr double labelGap = 6;       // the size label and the page tabs hang this far below
inline constexpr double arrowSize = 10.5;
inline constexpr double arrowSidePadding = 2;
inline constexpr double plateWidthExtra = 12;
inline constexpr double rimWidth = 3;
inline constexpr double bubbleGap = 6;
}  // namespace NotchViewMetrics

// The root of everything one island draws: its content layers inside the black outline, and the
// decorations around it (skip arrow, size preview, page tabs, notch plate, shimmer or rim, shadow,
// the pill's bubble). Every decision comes from planNotchView; this view only realises the plan.
// After each committed change it writes the four last-seen values back into the model, so the
// next evaluation can tell what changed. Panels host it at 760 x 300 points.
struct NotchView {
    NotchViewModel *model = nullptr;
    const NotchViewSlots *slotViews = &NotchViewSlots::standard();

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const NotchView &, const NotchView &) = default;

    // The panel every island view is drawn in.
    static constexpr double panelWidth = IslandMetrics::panelWidth;
    static constexpr double panelHeight = IslandMetrics::panelHeight;
};

}  // namespace vesk
