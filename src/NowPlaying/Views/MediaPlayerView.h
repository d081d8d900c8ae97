#pragma once

#include "Kit/Kit.h"

namespace vesk {

class NotchViewModel;

// The media page of the open island: the artwork (a button that brings the player forward) with
// the title and artist, a small visualiser in the header's corner, the scrubber, the transport
// row with the extra and output buttons, and the volume row the output button opens. With
// nothing playing it shows a placeholder.
struct MediaPlayerView {
    NotchViewModel *model = nullptr;

    // Room above the header: 16 in the capsule style; in the notch style the notch's height, less
    // 14.5 when the header sits beside the notch.
    static double topPadding(bool pill, double notchHeight, bool besideNotch);
    // The second title line: the artist, or the album when the artist is empty.
    static QString secondLine(const std::string &artist, const std::string &album);

    static constexpr double artworkSize = 55;
    static constexpr double pausedArtworkScale = 0.86;
    static constexpr double pausedArtworkOpacity = 0.7;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const MediaPlayerView &, const MediaPlayerView &) = default;
};

}  // namespace vesk
