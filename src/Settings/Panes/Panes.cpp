#include "Settings/Panes/Panes.h"

#include "Settings/Panes/AboutPane.h"
#include "Settings/Panes/GeneralPane.h"
#include "Settings/Panes/NotchPane.h"

namespace vesk::SettingsView {

PaneScaffold *content(Pane pane, const PaneContext &context)
{
    switch (pane) {
    case Pane::general: return new GeneralPane;
    case Pane::notch: return new NotchPane(context.model);
    case Pane::about: return new AboutPane(context);
    default: break;
    }
    // The remaining panes are not built yet: an empty form in their place.
    return new PaneScaffold(std::nullopt, {});
}

}  // namespace vesk::SettingsView
