#include "NowPlaying/Views/MediaBadges.h"

#include "Model/Motion.h"

namespace vesk {

using namespace kit;

Element MutedBadge::body(const Env &) const
{
    return Symbol(SymbolName("speaker.slash.fill"), size, Weight::semibold, Color::white())
        .shadow(Color::black(0.6), 2)
        .blur(isMuted ? 0 : 3)
        .scaleEffect(isMuted ? 1 : 0.6, UnitPoint::center())
        .opacity(isMuted ? 1 : 0)
        .allowsHitTesting(false)
        .animation(Motion::small, isMuted);
}

Element ExplicitBadge::body(const Env &) const
{
    return Symbol(SymbolName("e.square.fill"), size, Weight::regular, Color::white(0.5))
        .accessibilityLabel(QStringLiteral("Explicit"));
}

Element SwitchingText::body(const Env &) const
{
    // One entry, identified by its version: a new version is a new entry, so the old one leaves
    // and the new one enters with the transition, while a new text under the same version is the
    // same entry described again, in place.
    Element entry = label ? label(text) : Text(text);
    return ZStack({.alignment = alignment}, entry.id(version).transition(Transition::blurReplace()))
        .animation(Motion::textSwitch, version);
}

}  // namespace vesk
