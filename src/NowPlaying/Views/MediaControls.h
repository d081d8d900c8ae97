#pragma once

#include "Kit/Kit.h"
#include "NowPlaying/Views/ControlButton.h"

#include <functional>
#include <optional>

namespace vesk {

// The title and transport controls the media views place, one function each, so that the
// scrolling title replaces exactly this body.

// A one-line title in the system font of `size` and `weight`, framed to the font's line height.
// `isActive` says whether it may scroll (none: while the island is open).
kit::Element marqueeText(const QString &text, double size, kit::Weight weight, kit::Color color,
                         std::optional<bool> isActive);

// A round transport button (`ControlButton`); `action` runs once per click.
kit::Element controlButton(const QString &symbol, double size, double opacity, double diameter, bool bounces,
                           std::optional<SkipGlyph::Direction> skip, std::function<void()> action);

// The level bar of the scrubber and the volume row for an area `width` wide and `height` high: a
// faint capsule track with the level (`fraction` of it, clamped) over it, 9 high and bright while
// `active`, 5 high and dimmer otherwise, centred in the area.
kit::Element capsuleBar(double width, double height, double fraction, bool active);

class NotchViewModel;

// The rows and buttons of the media page that come with their own behaviour, each as the frame it
// takes: the scrubber 16 high, the extra and output buttons 48 square, the volume row as tall as
// its caller frames it.
// The scrubber: the media page's without a knob, the lock card's with the glass knob.
kit::Element scrubber(NotchViewModel &model, bool isVisible, bool glassKnob = false);
kit::Element extraButton(NotchViewModel &model);
kit::Element outputButton(NotchViewModel &model);
kit::Element volumeSlider(NotchViewModel &model);

}  // namespace vesk
