#pragma once

#include "Kit/Kit.h"

#include <functional>
#include <optional>

namespace vesk {

// The title and transport controls the media views place. Each is one function, so that the
// scrolling title and the round buttons replace exactly these bodies.

// A one-line title in the system font of `size` and `weight`, framed to the font's line height.
// `isActive` says whether it may scroll (none: while the island is open).
kit::Element marqueeText(const QString &text, double size, kit::Weight weight, kit::Color color,
                         std::optional<bool> isActive);

enum class SkipDirection { forward, backward };

// A transport button: the symbol at `size` in a `diameter`-square frame; `action` runs once per
// click.
kit::Element controlButton(const QString &symbol, double size, double opacity, double diameter, bool bounces,
                           std::optional<SkipDirection> skip, std::function<void()> action);

}  // namespace vesk
