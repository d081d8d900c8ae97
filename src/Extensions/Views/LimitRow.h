#pragma once

#include "Extensions/ClaudeCodeExtension.h"
#include "Kit/Element.h"

#include <QString>

#include <optional>

namespace vesk {

// One usage window of the user's plan: its title, the share used with the time until it resets,
// and a thin bar that turns from the extension's orange to orange and red as the window fills.
// An absent limit draws the empty track and "–".
struct LimitRow {
    QString title;
    std::optional<ClaudeCodeExtension::Limit> limit;
    // The wall-clock time the reset countdown is measured from (the page's timeline gives it, so
    // that a row described again each second is a new value).
    double now = 0;

    kit::Element body(const kit::Env &) const;
    bool operator==(const LimitRow &) const = default;

    // The share used as a fraction in [0, 1] (0 when absent).
    static double fraction(const std::optional<ClaudeCodeExtension::Limit> &limit);
    static kit::Color tint(double fraction);
    // "–", or the whole percent, "% · " and the time until the reset, at `now`.
    static QString detail(const std::optional<ClaudeCodeExtension::Limit> &limit, double now);
};

}  // namespace vesk
