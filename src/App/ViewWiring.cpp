#include "App/ViewWiring.h"

#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/ExtensionStore.h"
#include "Extensions/SystemStatsExtension.h"
#include "Extensions/Views/ClaudeCodePage.h"
#include "Extensions/Views/ClaudeCodeSettings.h"
#include "Extensions/Views/SystemStatsPage.h"
#include "Extensions/Views/SystemStatsSettings.h"
#include "Island/IslandViews.h"
#include "Island/NotchView.h"
#include "Island/OpenView.h"
#include "NowPlaying/Views/LiveActivityView.h"
#include "NowPlaying/Views/MediaPlayerView.h"
#include "Onboarding/OnboardingIslandView.h"
#include "Readouts/Views/CalendarPages.h"
#include "Updater/Views/UpdateBadge.h"

namespace vesk {

void installStandardViews()
{
    fillIslandViewSlots(NotchViewSlots::standard());
    NotchViewSlots::standard().liveActivity = [](NotchViewModel &model, bool showsTitle) {
        return kit::view(LiveActivityView{&model, showsTitle});
    };
    NotchViewSlots::standard().onboarding = [](NotchViewModel &model) { return kit::view(OnboardingIslandView{&model}); };
    fillCalendarPageSlots(OpenView::Slots::standard());
    fillUpdateSlots(NotchViewSlots::standard());
    OpenView::Slots::standard().media = [](NotchViewModel &model) { return kit::view(MediaPlayerView{&model}); };
    ExtensionStore::setViews<ClaudeCodeExtension>(
        [](std::shared_ptr<ClaudeCodeExtension> ext) { return kit::view(ClaudeCodePage{std::move(ext)}); },
        [](std::shared_ptr<ClaudeCodeExtension> ext) { return std::make_unique<ClaudeCodeSettings>(std::move(ext)); });
    // The page holds the extension itself: its appearing switches the sampling cadence.
    ExtensionStore::setViews<SystemStatsExtension>(
        [](std::shared_ptr<SystemStatsExtension> stats) { return kit::view(SystemStatsPage{std::move(stats)}); },
        [](std::shared_ptr<SystemStatsExtension>) { return std::make_unique<SystemStatsSettings>(); });
}

}  // namespace vesk
