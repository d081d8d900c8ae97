#pragma once

#include "SimIsland.h"

#include "App/ViewWiring.h"
#include "Island/NotchView.h"
#include "Kit/Kit.h"
#include "Onboarding/OnboardingIslandView.h"
#include "Platform/sim/SimAccessibilityTrust.h"
#include "Platform/sim/SimLoginItem.h"

namespace vesk::bench {

// The simulated island showing the first-run tour on `page`, its panel's tree set up at once.
struct TourIsland : SimIsland {
    explicit TourIsland(int page)
    {
        setLoginItem(&login);
        setAccessibilityTrust(&trust);
        islandSlots.onboarding = [](NotchViewModel &m) { return kit::view(OnboardingIslandView{&m}); };
        model->startOnboarding(page);
        kit::withoutAnimation([&] { tree.setRoot(kit::view(NotchView{model.get(), &islandSlots})); });
    }
    ~TourIsland()
    {
        setLoginItem(nullptr);
        setAccessibilityTrust(nullptr);
    }
    SimLoginItem login;
    SimAccessibilityTrust trust;
    NotchViewSlots islandSlots;
    kit::Tree tree{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
};

}  // namespace vesk::bench
