#pragma once

#include "Kit/Kit.h"

#include <QString>

namespace vesk {

// The closed island at the top of a miniature screen, with a track, a readout or the volume beside
// the notch (or nothing). The host re-describes it from its settings; it animates the difference.
struct ClosedNotchPreview {
    // What stands beside the notch.
    struct Content {
        enum class Case { bare, volume, nowPlaying, readout };
        Case kind = Case::bare;
        // nowPlaying
        bool artwork = false, visualizer = false, tinted = false;
        // readout
        QString symbol{};
        kit::Color tint{};
        QString text{};

        static Content bare() { return {}; }
        static Content volume() { return {.kind = Case::volume}; }
        static Content nowPlaying(bool artwork, bool visualizer, bool tinted)
        {
            return {.kind = Case::nowPlaying, .artwork = artwork, .visualizer = visualizer, .tinted = tinted};
        }
        static Content readout(QString symbol, kit::Color tint, QString text)
        {
            return {.kind = Case::readout, .symbol = std::move(symbol), .tint = tint, .text = std::move(text)};
        }
        // Same case and equal values of that case: tints compare as colours.
        friend bool operator==(const Content &a, const Content &b);
    };

    Content content;
    double scale = 1;
    bool isHovered = false;

    // The slot width beside the notch, in multiples of the scale.
    static double slotWidth(Content::Case kind);

    friend bool operator==(const ClosedNotchPreview &, const ClosedNotchPreview &) = default;
    kit::Element body(const kit::Env &) const;
};

}  // namespace vesk
