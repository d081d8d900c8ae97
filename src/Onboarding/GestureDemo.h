#pragma once

#include "Kit/Kit.h"
#include "Onboarding/GestureDemoScript.h"

#include <QSizeF>

#include <memory>
#include <optional>

namespace vesk {

// The animated miniature island of the tour's gestures page: a small desktop with a menu-bar
// strip, the miniature hanging from the top edge and a pointer acting out one gesture, cycle after
// cycle, while `isRunning`. Its state lives in its retained node and starts afresh with every new
// demonstration (the host keys it by gesture); while it does not run it schedules nothing.
struct GestureDemo {
    Gesture gesture = Gesture::hover;
    bool isRunning = false;

    friend bool operator==(const GestureDemo &, const GestureDemo &) = default;
    kit::Element body(const kit::Env &env) const;

    // The pieces of the miniature, described from a state's values.
    static kit::Element scene(const GestureDemoState &state);
    static kit::Element island(const GestureDemoState &state);
    static kit::Element openContent(int page);
    static kit::Element closedContent(double height, bool flipped, double pull);
    static kit::Element pageDots(int page);
    // The miniature's size before its side padding (the black body is 6 or 16 points wider).
    static QSizeF islandSize(bool isOpen, bool swollen, bool pressed, double pull);
};

namespace GestureDemoMetrics {
inline constexpr double islandScale = 0.86;
inline constexpr double openWidth = 184, openHeight = 93;
inline constexpr double closedWidth = 138, closedHeight = 17.5;
inline constexpr double openSidePadding = 8, closedSidePadding = 3;
inline constexpr double menuBarHeight = 14;
inline constexpr double dotsGap = 3, dotsHeight = 9.5;
inline constexpr double pullShift = 8;
inline constexpr kit::Color flippedArtwork = kit::Color::rgb(0.95, 0.55, 0.30);
}  // namespace GestureDemoMetrics

// The demonstration shown in a tree: the one that is not leaving (a replaced demonstration fades
// out for a moment beside its successor); null when there is none.
struct ShownGestureDemo {
    Gesture gesture;
    std::shared_ptr<const GestureDemoState> state;
};
std::optional<ShownGestureDemo> shownGestureDemo(const kit::Tree &tree);

}  // namespace vesk
