#pragma once

#include "Kit/Kit.h"

#include <QString>

namespace vesk {

// What the tour's miniature island shows when open: fixed pictures of the media, calendar and
// timer pages, and the context menu of the right-click demonstration. They read nothing and animate
// nothing of their own; each page is exactly 184 × 93 points.
namespace MiniMetrics {
inline constexpr double pageWidth = 184, pageHeight = 93;
inline constexpr double playedFraction = 0.4;
inline constexpr double menuWidth = 62;
}  // namespace MiniMetrics

struct MiniPlayer {
    friend bool operator==(const MiniPlayer &, const MiniPlayer &) = default;
    kit::Element body(const kit::Env &) const;
    // The track bar alone: 40 % played of whatever width it is given.
    static kit::Element trackBar();
};

struct MiniCalendar {
    static constexpr kit::Color red = kit::Color::rgb(0.93, 0.33, 0.42);
    // Weeks start on Monday; the month begins on the Thursday of the first row.
    static constexpr int dayAt(int row, int column) { return row * 7 + column - 2; }
    static constexpr int today = 6;
    friend bool operator==(const MiniCalendar &, const MiniCalendar &) = default;
    kit::Element body(const kit::Env &) const;
};

struct MiniTimer {
    friend bool operator==(const MiniTimer &, const MiniTimer &) = default;
    kit::Element body(const kit::Env &) const;
    static kit::Element chip(const QString &text, bool selected);
};

struct MiniMenu {
    friend bool operator==(const MiniMenu &, const MiniMenu &) = default;
    kit::Element body(const kit::Env &) const;
};

}  // namespace vesk
