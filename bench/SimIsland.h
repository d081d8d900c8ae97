#pragma once

#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "Model/SpaceSwipeDetector.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimAudioDevices.h"
#include "Platform/sim/SimCalendarStore.h"
#include "Platform/sim/SimHaptics.h"
#include "Platform/sim/SimScreens.h"
#include "Platform/sim/SimSwipeSource.h"
#include "Platform/sim/SimWorkspace.h"
#include "Base/VirtualTime.h"

namespace vesk::bench {

// The primary island model, settled on a simulated 1512 x 982 laptop display with a notch, with
// fresh settings and simulated platform services installed for its lifetime.
struct SimIsland {
    SimIsland()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        UserDefaults::standard().set(Defaults::migrationFlagKey, true);
        setScreens(&screens);
        setWorkspace(&workspace);
        setAudioDevices(&audio);
        SpaceSwipeDetector::setShared(&swipes);
        screens.plug("eDP-1", QSizeF(1512, 982), 2, QSizeF(185, 32), 37);
        model = NotchViewModel::makePrimary();
        model->updateNotch(screens.screens().front(), IslandStyle::notch, false);
        time.advance(1);
    }
    ~SimIsland()
    {
        setScreens(nullptr);
        setWorkspace(nullptr);
        setAudioDevices(nullptr);
        SpaceSwipeDetector::setShared(nullptr);
    }
    VirtualTime time;
    SimScreens screens;
    SimWorkspace workspace;
    SimAudioDevices audio;
    SimSwipeSource swipeSource;
    SpaceSwipeDetector swipes{swipeSource};
    SimHaptics haptics;
    SimCalendarStore calendar;
    std::shared_ptr<NotchViewModel> model;
};

}  // namespace vesk::bench
