#pragma once

#include "Kit/Kit.h"

#include <functional>

namespace vesk {

class NotchViewModel;

// Whether the island layer that contains a view is shown (islandLayer sets it).
inline const kit::EnvKey<bool> isIslandLayerVisible{true};
// The island model of the view tree (the island view sets it for everything inside).
inline const kit::EnvKey<NotchViewModel *> islandModel{nullptr};

// Shows the pointing hand over a control and counts hovered controls in the island model; with
// `tapsOnHover`, entering gives the alignment haptic when haptic feedback is on. A control of a
// hidden layer takes no hover, but leaving is always counted.
kit::Element clickableCursor(kit::Element content, bool tapsOnHover = false);

// Reports hover to `action` only while the control's layer is visible, and reports false once when
// the layer hides under the pointer.
kit::Element islandHover(kit::Element content, std::function<void(bool)> action);

// One hover change of a clickable control (what clickableCursor does on each).
void clickableHoverChanged(NotchViewModel *model, bool isVisible, bool tapsOnHover, bool inside);

}  // namespace vesk
