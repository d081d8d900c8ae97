#pragma once

#include "Model/NotchViewModel.h"
#include "Kit/Kit.h"

#include <optional>

namespace vesk {

// The small red label under the island while a size slider is held: an arrow for the adjusted
// dimension and the signed amount in whole points ("+4 pt", "-3 pt"). It shows and hides itself
// with the adjustment and never takes the pointer.
struct SizePreviewLabel {
    std::optional<NotchViewModel::SizeAdjustment> adjustment;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const SizePreviewLabel &, const SizePreviewLabel &) = default;

    // The arrow's symbol name and the text for an adjustment (none: the width arrow and "+0 pt").
    static QString symbol(const std::optional<NotchViewModel::SizeAdjustment> &adjustment);
    static QString text(const std::optional<NotchViewModel::SizeAdjustment> &adjustment);
    // The value's whole points, truncated toward zero after clamping to what 64 bits hold; a value
    // that is not finite counts as 0.
    static long long wholePoints(double value);

    static constexpr double height = 24;
};

}  // namespace vesk
