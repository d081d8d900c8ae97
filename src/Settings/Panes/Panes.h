#pragma once

#include "Settings/SettingsView.h"

#include <functional>

namespace vesk {

class NotchViewModel;
class PaneScaffold;

// What the panes use of the application: the primary island model, the tour and quitting.
struct PaneContext {
    NotchViewModel *model = nullptr;
    std::function<void()> showOnboarding;
    std::function<void()> quit;
};

namespace SettingsView {
// A new view of `pane` (every change of pane builds a new one).
PaneScaffold *content(Pane pane, const PaneContext &context);
}  // namespace SettingsView

}  // namespace vesk
