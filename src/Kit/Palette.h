#pragma once

#include "Kit/Color.h"

// The application's named colours, in one place: the system colours of a dark appearance.
namespace kit::palette {

inline constexpr Color red = Color::hex(0xFF453A);
inline constexpr Color orange = Color::hex(0xFF9F0A);
inline constexpr Color yellow = Color::hex(0xFFD60A);
inline constexpr Color green = Color::hex(0x32D74B);
inline constexpr Color mint = Color::hex(0x66D4CF);
inline constexpr Color teal = Color::hex(0x6AC4DC);
inline constexpr Color cyan = Color::hex(0x5AC8F5);
inline constexpr Color blue = Color::hex(0x0A84FF);
inline constexpr Color indigo = Color::hex(0x5E5CE6);
inline constexpr Color purple = Color::hex(0xBF5AF2);
inline constexpr Color pink = Color::hex(0xFF375F);
inline constexpr Color brown = Color::hex(0xAC8E68);
inline constexpr Color gray = Color::hex(0x98989D);

// The lighter tints of the light appearance.
namespace light {
inline constexpr Color blue = Color::hex(0x007AFF);
inline constexpr Color pink = Color::hex(0xFF2D55);
inline constexpr Color yellow = Color::hex(0xFFCC00);
}  // namespace light

}  // namespace kit::palette
