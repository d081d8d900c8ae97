#pragma once

#include "Extensions/ExtensionInfo.h"
#include "Kit/Element.h"

#include <QImage>

namespace vesk {

// An extension's symbol in white, bold, at half the size, centred on a square of `size` points
// filled with its tint, with continuous corners of 0.26 × size.
struct ExtensionIcon {
    ExtensionInfo info;
    double size = 30;

    kit::Element body(const kit::Env &) const;
    bool operator==(const ExtensionIcon &) const = default;

    // The icon drawn at `scale` device pixels per point, for Qt Widgets.
    static QImage image(const ExtensionInfo &info, double size, double scale);
};

}  // namespace vesk
