#pragma once

#include "Kit/Kit.h"

#include <QString>

namespace vesk {

// How the island is drawn at the top of a display for one display style: "notch", "inNotch",
// "pill", "belowNotch"; any other value (the setting's "hidden") draws no island. Fixed sizes.
struct ExternalDisplayPreview {
    QString style;

    // The width of the notch form for "notch" and "inNotch", none for the other styles.
    static std::optional<double> notchWidth(const QString &style);

    friend bool operator==(const ExternalDisplayPreview &, const ExternalDisplayPreview &) = default;
    kit::Element body(const kit::Env &) const;
};
}  // namespace vesk
