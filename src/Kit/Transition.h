#pragma once

#include "Kit/Geometry.h"

#include <algorithm>
#include <optional>

namespace kit {

// How a node looks at the far end of its transition (fully inserted is the identity).
struct TransitionEffect {
    double opacity = 1;
    double scale = 1;
    UnitPoint anchor = UnitPoint::center();
    double offsetX = 0, offsetY = 0;
    double blur = 0;
    friend constexpr bool operator==(const TransitionEffect &, const TransitionEffect &) = default;

    // The effect at `progress` from this state (0) to the identity (1).
    TransitionEffect at(double progress) const;
    TransitionEffect combined(const TransitionEffect &other) const;
};

// The look of a node as it is inserted (coming from `insertion`) and as it is removed (going to
// `removal`), driven by the transaction that inserts or removes it.
struct Transition {
    TransitionEffect insertion;
    TransitionEffect removal;
    bool immediateInsertion = false;  // no insertion animation at all
    bool immediateRemoval = false;

    static Transition identity() { return {}; }
    static Transition opacity() { return symmetric({.opacity = 0}); }
    static Transition scale(double s, UnitPoint anchor = UnitPoint::center())
    {
        return symmetric({.scale = s, .anchor = anchor});
    }
    static Transition offset(double x, double y) { return symmetric({.offsetX = x, .offsetY = y}); }
    // Blurs out as it leaves and sharpens as it comes, fading either way.
    static Transition blurReplace(double radius = 8) { return symmetric({.opacity = 0, .blur = radius}); }
    // A symbol swapping for another: it shrinks away and the new one grows in, both fading.
    static Transition symbolReplace() { return symmetric({.opacity = 0, .scale = 0.5}); }
    // A number rolling: the new text rises from below as the old one rises away above.
    static Transition numericText(double distance = 8)
    {
        Transition t;
        t.insertion = {.opacity = 0, .offsetY = distance, .blur = 2};
        t.removal = {.opacity = 0, .offsetY = -distance, .blur = 2};
        return t;
    }
    static Transition asymmetric(const Transition &insertion, const Transition &removal)
    {
        Transition t;
        t.insertion = insertion.insertion;
        t.immediateInsertion = insertion.immediateInsertion;
        t.removal = removal.removal;
        t.immediateRemoval = removal.immediateRemoval;
        return t;
    }
    // Appears at once, leaves by fading.
    static Transition insertAtOnceRemoveByFading()
    {
        Transition t = opacity();
        t.immediateInsertion = true;
        return t;
    }
    Transition combined(const Transition &other) const
    {
        Transition t = *this;
        t.insertion = insertion.combined(other.insertion);
        t.removal = removal.combined(other.removal);
        return t;
    }
    friend constexpr bool operator==(const Transition &, const Transition &) = default;

private:
    static Transition symmetric(const TransitionEffect &e)
    {
        Transition t;
        t.insertion = e;
        t.removal = e;
        return t;
    }
};

inline TransitionEffect TransitionEffect::at(double p) const
{
    auto lerp = [p](double from, double to) { return from + (to - from) * p; };
    TransitionEffect e;
    e.opacity = std::clamp(lerp(opacity, 1), 0.0, 1.0);
    e.scale = lerp(scale, 1);
    e.anchor = anchor;
    e.offsetX = lerp(offsetX, 0);
    e.offsetY = lerp(offsetY, 0);
    e.blur = std::max(0.0, lerp(blur, 0));
    return e;
}

inline TransitionEffect TransitionEffect::combined(const TransitionEffect &o) const
{
    TransitionEffect e;
    e.opacity = opacity * o.opacity;
    e.scale = scale * o.scale;
    e.anchor = scale != 1 ? anchor : o.anchor;
    e.offsetX = offsetX + o.offsetX;
    e.offsetY = offsetY + o.offsetY;
    e.blur = std::max(blur, o.blur);
    return e;
}

class Node;

// The transition of `node`: its own description's, or that of the first node down its chain of
// single children (modifiers and views wrap one child each) that carries one. Null for none.
const Transition *transitionOf(const Node &node);

}  // namespace kit
