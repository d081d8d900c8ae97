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
#define VESK_PANE_VIEW(name, title, symbol, tint, view) \
    case Pane::name: return view;
        VESK_SETTINGS_PANES(VESK_PANE_VIEW)
#undef VESK_PANE_VIEW
    }
    return content(Pane::general, context);
}

}  // namespace vesk::SettingsView
