#pragma once

#include "Kit/Kit.h"

namespace vesk {

// The crossed-out speaker over a visualiser while the output is muted; it shrinks and blurs away
// when sound returns, and never takes the pointer.
struct MutedBadge {
    bool isMuted = false;
    double size = 11;  // point size of the symbol

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const MutedBadge &, const MutedBadge &) = default;
};

// The "E" badge of a track marked explicit.
struct ExplicitBadge {
    double size = 11;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const ExplicitBadge &, const ExplicitBadge &) = default;
};

// A text that is replaced with a blur each time `version` moves, and edited in place when only
// the text changes: a player that corrects a title's spelling does not play the switch again.
// `label` draws one text.
struct SwitchingText {
    QString text;
    long long version = 0;
    kit::Alignment alignment = kit::Alignment::center();
    std::function<kit::Element(const QString &)> label;

    kit::Element body(const kit::Env &env) const;
};

}  // namespace vesk
