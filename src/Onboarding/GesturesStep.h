#pragma once

#include "Kit/Kit.h"
#include "Onboarding/GestureDemoScript.h"

#include <QString>

#include <functional>
#include <optional>

namespace vesk {

// The tour's gestures page: five gesture rows beside the miniature island acting the highlighted
// one out. While the page is shown it walks through the gestures on its own, holding each for its
// time; a click on a row picks that gesture and starts its time afresh. Hidden, it does nothing.
// `current` and the pick count live in the step's retained node, so they survive page moves.
struct GesturesStep {
    using Gesture = vesk::Gesture;

    struct Info {
        const char *symbol;
        const char *caption;
        double holdSeconds;
    };
    static const Info &info(Gesture gesture);
    static Gesture next(Gesture gesture) { return Gesture((int(gesture) + 1) % gestureCount); }
    // The walk's task key: "<visible>-<picked>".
    static QString walkKey(bool isVisible, int picked);

    friend bool operator==(const GesturesStep &, const GesturesStep &) = default;
    kit::Element body(const kit::Env &env) const;
};

// One gesture's row: its symbol and caption, highlighted when current. The whole width of the row,
// its empty right-hand part included, takes the click.
struct GestureRow {
    Gesture gesture = Gesture::hover;
    bool isCurrent = false;
    std::function<void()> action;

    kit::Element body(const kit::Env &env) const;
};

namespace GesturesMetrics {
inline constexpr double rowHeight = 23, rowRadius = 7;
inline constexpr double demoWidth = 214, contentHeight = 122, demoRadius = 12;
}  // namespace GesturesMetrics

// The highlighted gesture of the gestures page in a tree; none when the tree has no such page.
std::optional<Gesture> shownCurrentGesture(const kit::Tree &tree);
// Whether a node lies inside the gestures page (tools tell its rows from other rows this way).
bool isInsideGesturesStep(const kit::Node *node);

}  // namespace vesk
