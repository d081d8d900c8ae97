#pragma once

#include "Kit/Kit.h"

#include <QString>

namespace vesk {

// The plate behind a hovered player button for one value of the button hover style: "circle",
// "none", anything else the rounded square. Fixed sizes.
struct HoverStylePreview {
    QString style;

    friend bool operator==(const HoverStylePreview &, const HoverStylePreview &) = default;
    kit::Element body(const kit::Env &) const;
};

}  // namespace vesk
