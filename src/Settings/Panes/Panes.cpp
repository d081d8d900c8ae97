#include "Settings/Panes/Panes.h"

#include "Extensions/ExtensionStore.h"
#include "Model/NotchViewModel.h"
#include "Settings/Panes/AboutPane.h"
#include "Settings/Panes/CalendarPane.h"
#include "Settings/Panes/ExtensionsPane.h"
#include "Settings/Panes/GeneralPane.h"
#include "Settings/Panes/HUDsPane.h"
#include "Settings/Panes/LockScreenPane.h"
#include "Settings/Panes/NotchPane.h"
#include "Settings/Panes/NowPlayingPane.h"

namespace vesk::SettingsView {

PaneScaffold *content(Pane pane, const PaneContext &context)
{
    CalendarService *calendar = context.model ? &context.model->calendar() : nullptr;
    switch (pane) {
    case Pane::general: return new GeneralPane;
    case Pane::notch: return new NotchPane(context.model);
    case Pane::nowPlaying: return new NowPlayingPane;
    case Pane::calendar: return new CalendarPane(calendar);
    case Pane::activities: return new ActivitiesPane(calendar);
    case Pane::huds: return new HUDsPane;
    case Pane::lockScreen: return new LockScreenPane;
    case Pane::extensions: return new ExtensionsPane(ExtensionStore::shared());
    case Pane::about: return new AboutPane(context);
    }
    return new GeneralPane;
}

}  // namespace vesk::SettingsView
