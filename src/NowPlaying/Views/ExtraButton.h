#pragma once

#include "Kit/Kit.h"
#include "NowPlaying/Track.h"

#include <QString>

#include <optional>

namespace vesk {

// The media page's button of the user's choice ("playerExtraButton"): shuffle, repeat,
// favourite, back or forward 15 seconds, or nothing. It shows the player's state through the
// track and changes it through the now-playing service. The island model is the environment's.
struct ExtraButton {
    enum class Action { toggleShuffle, toggleRepeat, toggleLike, back15, forward15 };

    // One row of the variant table.
    struct Variant {
        QString symbol;
        double glyphOpacity = 1;
        double dotOpacity = 0;
        QString tooltip;
        bool state = false;     // what its changes animate on
        Action action = Action::toggleShuffle;
        bool disabled = false;  // dimmed to 40 % and deaf to clicks
        bool operator==(const Variant &) const = default;
    };
    // The variant for `kind` and the current track; none for "none" and unknown kinds.
    static std::optional<Variant> variant(const QString &kind, const std::optional<Track> &track, bool canLike);
    // What the like button says when no player can take a favourite from us.
    static QString likeUnavailableText();

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const ExtraButton &, const ExtraButton &) = default;
};

}  // namespace vesk
