#include "Island/IslandViews.h"

#include "Model/NotchViewModel.h"
#include "Island/LiquidBubble.h"
#include "Island/OpenView.h"
#include "Island/PeekView.h"
#include "Island/SizePreviewLabel.h"
#include "Island/TabBar.h"

namespace vesk {

using namespace kit;

void fillIslandViewSlots(NotchViewSlots &islandSlots)
{
    islandSlots.readout = [](NotchViewModel &model, const Peek &peek) { return view(PeekView{&model, peek, false}); };
    islandSlots.openView = [](NotchViewModel &model) { return view(OpenView{&model}); };
    islandSlots.sizePreviewLabel = [](const std::optional<NotchViewModel::SizeAdjustment> &adjustment) {
        return view(SizePreviewLabel{adjustment});
    };
    // The update badge and card and the tour are views of their own subsystems, which
    // installStandardViews() puts in these slots after this; with the island's views alone (as in
    // the island's own tests) they draw nothing.
    islandSlots.updateBadge = [](NotchViewModel &) { return Empty(); };
    islandSlots.update = [](NotchViewModel &) { return Empty(); };
    islandSlots.onboarding = [](NotchViewModel &) { return Empty(); };
    islandSlots.pageTabs = [](NotchViewModel &model, bool isShown) { return view(TabBar{&model, isShown}); };
    islandSlots.bubble = [](NotchViewModel &model, const NotchViewSlots::Bubble &b, std::function<void(double)> widthChanged) {
        return view(LiquidBubble{&model, b.progress, b.island, b.bubble, b.gap, b.peek, std::move(widthChanged)});
    };
}

}  // namespace vesk
