#pragma once

#include "Kit/Kit.h"

#include <functional>

namespace vesk {

// The island is a stack of layers of which few show at once. A hidden layer stays in place,
// transparent, blurred and deaf to the pointer; these modifiers make a layer come and go.
namespace IslandLayerMetrics {
inline constexpr double hiddenBlur = 12;        // points
inline constexpr double unmountDelay = 0.6;     // seconds a hidden MountedWhileShown stays mounted
inline constexpr double widthFreezeDelay = 0.5; // seconds before a hidden IslandWidth stops following
inline constexpr double switchScale = 0.97;
inline constexpr double switchRise = 4;         // points
}  // namespace IslandLayerMetrics

// Fades `content` in with a focus (blur to sharp) `delay` seconds after it becomes visible, and
// out with a quick blur at once when it hides; only a visible layer takes hits. Views inside read
// `isIslandLayerVisible`. Only blur and opacity animate: the content's layout does not.
kit::Element islandLayer(kit::Element content, bool isVisible, double delay);

// Keeps `content` in the tree while visible and for 0.6 s after it hides (so its fade-out plays
// and its state survives a quick return), then removes it. `content` is called only while mounted.
// A view created hidden shows nothing.
kit::Element MountedWhileShown(bool isVisible, std::function<kit::Element()> content);

// Gives `content` the island's live `width` while visible; once hidden for 0.5 s it keeps the width
// it had when it hid, whatever the island does meanwhile, until it is shown again.
kit::Element IslandWidth(kit::Element content, double width, bool isVisible);

// Replaces `content` with a small rise, shrink and fade each time `version` changes (a new track).
kit::Element switchPulse(kit::Element content, int version);

}  // namespace vesk
