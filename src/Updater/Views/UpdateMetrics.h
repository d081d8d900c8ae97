#pragma once

#include "Kit/Kit.h"

// The update card's and badge's sizes, colours and fonts.
namespace vesk::update_metrics {

inline constexpr kit::Color accent = kit::Color::rgb(0.18, 0.42, 0.96);

// The card.
inline constexpr double horizontalPadding = 22;
inline constexpr double bottomPadding = 16;
inline constexpr double pillTopPadding = 24;
inline constexpr double notchTopGap = 8;  // below the notch
inline constexpr double iconSide = 40;
inline constexpr double iconShadowRadius = 10;
inline constexpr double iconShadowOpacity = 0.5;
inline constexpr double headerSpacing = 12;
inline constexpr double titleSpacing = 2;
inline constexpr double titleSize = 14;
inline constexpr double subtitleSize = 11.5;
inline constexpr double subtitleOpacity = 0.6;
inline constexpr double notesOpacity = 0.75;
inline constexpr double linkSize = 11;
inline constexpr double linkOpacity = 0.5;
inline constexpr double buttonsMinimumGap = 14;
inline constexpr double buttonRowHeight = 28;
// The subtitle's countdown is described again this often while shown, and hardly at all while not.
inline constexpr double visibleRefresh = 1;
inline constexpr double hiddenRefresh = 3600;

// The badge.
inline constexpr double badgeSide = 20;
inline constexpr double badgeRingInset = 4;
inline constexpr double badgeRingWidth = 2;
inline constexpr double badgeMinimumArc = 0.02;
inline constexpr double badgeSymbolSize = 10;
inline constexpr double badgeMinimumTop = 6;
inline constexpr double badgePillTop = -2;
inline constexpr double badgeMinimumTrailing = 8;
inline constexpr double badgePillTrailing = 18;
inline constexpr double badgeEntryScale = 0.6;

}  // namespace vesk::update_metrics
