#pragma once

#include "Kit/Animation.h"

namespace vesk {

// The catalogue of named animations: every animated change in the island uses one of these, so
// the island moves with one feel. Springs for shape and place, short ease curves for fades.
// Each member is a constant value, so two reads are always the same animation.
namespace Motion {
inline constexpr kit::Animation open = kit::Animation::spring(0.43, 0.65);
inline constexpr kit::Animation close = kit::Animation::spring(0.4, 1.0);
inline constexpr kit::Animation swell = kit::Animation::spring(0.31, 0.62);
inline constexpr kit::Animation press = kit::Animation::spring(0.62, 0.65);
inline constexpr kit::Animation pressCancel = kit::Animation::spring(0.52, 0.8);
inline constexpr kit::Animation readout = kit::Animation::spring(0.36, 0.76);
inline constexpr kit::Animation settle = kit::Animation::spring(0.5, 0.78);
inline constexpr kit::Animation contentFocus = kit::Animation::spring(0.22, 1.0);
inline constexpr kit::Animation contentFadeIn = kit::Animation::spring(0.2, 1.0);
inline constexpr kit::Animation contentBlurOut = kit::Animation::easeOut(0.1).delayed(0.04);
inline constexpr kit::Animation contentFadeOut = kit::Animation::easeIn(0.2).delayed(0.04);
inline constexpr kit::Animation page = kit::Animation::spring(0.43, 0.8);
inline constexpr kit::Animation textSwitch = kit::Animation::spring(0.45, 1.0);
inline constexpr kit::Animation flip = kit::Animation::spring(0.7, 0.88);
inline constexpr kit::Animation buttonPress = kit::Animation::spring(0.38, 0.82);
inline constexpr kit::Animation hoverOut = kit::Animation::easeOut(0.3);
inline constexpr kit::Animation small = kit::Animation::spring(0.3, 0.85);
inline constexpr kit::Animation value = kit::Animation::spring(0.5, 1.0);
inline constexpr kit::Animation level = kit::Animation::easeOut(0.12);
}  // namespace Motion

}  // namespace vesk
