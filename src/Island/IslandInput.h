#pragma once

#include "Model/IslandTypes.h"
#include "Model/Peek.h"
#include "Kit/Animation.h"
#include "Platform/Haptics.h"
#include "Base/MainQueue.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <optional>

namespace vesk {

// The island model as the input engine sees it: exactly what pointer, press and scroll input read
// and call. The island model implements it.
class IslandInputModel {
public:
    virtual ~IslandInputModel() = default;

    // What the rules read of the island, as it is at the moment of asking.
    struct Reading {
        QSizeF size;
        bool isOpen = false;
        NotchState state = NotchState::closed;
        // The second activity in the bubble beside a pill island.
        std::optional<Peek> bubble;
        double bubbleWidth = 0;
        IslandStyle style = IslandStyle::notch;
        double pillTopInset = 0;
        bool showPageDots = false;
        int pageCount = 1;
        bool hapticFeedback = true;
        // Whether the now-playing service has a track.
        bool hasTrack = false;
        // The cursor the island wants while the pointer is over it.
        Qt::CursorShape cursor = Qt::PointingHandCursor;
        bool isPressed = false;
        double skipDrag = 0;
    };
    virtual Reading reading() const = 0;

    // Written.
    virtual void setPressed(bool pressed) = 0;
    // Moves the swipe-to-skip offset (in units of the skip threshold) with the given animation.
    virtual void setSkipDrag(double value, const kit::Animation &animation) = 0;

    // Called.
    virtual void setHovering(bool inside) = 0;
    virtual void open(bool feedback, std::optional<IslandPage> showing) = 0;
    virtual void close(bool feedback) = 0;
    virtual void turnPage(int delta) = 0;
    virtual void scrollStep(bool down) = 0;
    virtual void dragPages(double dx) = 0;
    virtual void endPageDrag(double velocity) = 0;
    // Sends the next or previous track command through the now-playing service.
    virtual void skipTrackCommand(bool next) = 0;
};

// One scroll event as the island's input rules read it, in the convention of the rules below:
// dy < 0 scrolls down, dx < 0 scrolls right (deltas in points for a touchpad, one notch = 1 for a
// wheel). `inverted` says the device reverses its deltas ("natural" scrolling).
struct IslandScrollEvent {
    enum class Phase { none, began, changed, ended, cancelled };
    double timestamp = 0;  // seconds
    double dx = 0;
    double dy = 0;
    Phase phase = Phase::none;
    bool momentum = false;
    bool inverted = false;
};

// The rules that turn the pointer, presses, the wheel and the touchpad into island-model calls:
// the hit rectangle, hover and pass-through, press-to-open, outside clicks, wheel notches,
// touchpad axis lock, vertical steps, page drags and swipe-to-skip.
//
// Plain logic on timestamped records; main thread only. Delays go through the main queue.
class IslandInput {
public:
    explicit IslandInput(IslandInputModel &model);

    // The frame of the island's display in desktop points (top-left origin); none until placed.
    // Placed, the island takes the pointer over its rectangle (see ignoresMouseEvents()).
    void setScreen(std::optional<QRectF> frame);
    const std::optional<QRectF> &screen() const { return screen_; }

    // Where the pointer is (desktop points) and whether a button is held; read at each decision.
    std::function<QPointF()> mouseLocation = [] { return QPointF(-1e9, -1e9); };
    std::function<bool()> anyButtonHeld = [] { return false; };
    // Applies the pass-through: ignores = true lets every pointer event through the panel, even
    // over the island; false makes the panel take the pointer over islandRect() (its hit area)
    // and let it through everywhere else.
    std::function<void(bool ignores)> setIgnoresMouseEvents;
    std::function<void(HapticPattern)> performHaptic;
    std::function<void(Qt::CursorShape)> setCursor;

    // The area in which the pointer counts as over the island (desktop points, top-left origin).
    QRectF islandRect() const;

    // Re-runs the hit test; `clicked` tells a left button press outside the application.
    void pointerMoved(bool clicked);
    // A left press that landed on the island's panel.
    void pressOnPanel();
    // A left release anywhere.
    void leftReleased();
    void releasePress();
    void scrolled(const IslandScrollEvent &event);
    void skipTrack(bool next);
    bool canSkip() const;

    // Whether the panel lets the pointer through even over the island: only until the island is
    // placed on a display. It does not follow the pointer: a click that arrives together with the
    // pointer must find the panel already there, before anything has seen the pointer arrive.
    bool ignoresMouseEvents() const { return ignoresMouseEvents_; }
    bool wasInside() const { return wasInside_; }

    // The pressed look is held this long after a quick release before the island opens.
    static constexpr double releaseOpenDelay = 0.045;
    static constexpr double longPress = 0.6;
    static constexpr double wheelLockout = 0.3;
    static constexpr double stepLockout = 0.28;
    static constexpr double axisLockThreshold = 0.5;
    static constexpr double skipDistance = 70;
    static constexpr double skipLimit = 2.5;
    static constexpr double openStepTravel = 60;
    static constexpr double closedStepTravel = 40;
    static constexpr kit::Animation skipDragAnimation = kit::Animation::spring(0.18, 0.85);

private:
    enum class Axis { none, horizontal, vertical };

    void haptic(HapticPattern pattern);
    void cursor(Qt::CursorShape shape);
    void endGesture(bool cancelled);

    IslandInputModel &model_;
    std::optional<QRectF> screen_;
    bool ignoresMouseEvents_ = true;

    std::optional<double> pressStarted_;
    std::function<void()> openOnRelease_;
    WorkItem pendingOpen_;

    Axis scrollAxis_ = Axis::none;
    double lastScrollDelta_ = 0;
    double verticalTravel_ = 0;
    double sidewaysTravel_ = 0;
    double lastWheelTurn_ = 0;
    double lastScrollStep_ = 0;
    bool wasInside_ = false;
};

// X reports a touchpad stroke as a plain run of deltas, with no gesture phases and no momentum.
// The phases are made up here: the first delta after a pause begins a gesture (a `began` event
// with no delta, then the delta as `changed`), later deltas are `changed`, and a pause of
// `idleGap` seconds ends it (`ended`, sent from the main queue). cancel() ends a running gesture
// as `cancelled` (the panel went away mid-stroke). Momentum never occurs. Wheel notches pass
// through without a phase.
class ScrollPhaseSynthesizer {
public:
    static constexpr double idleGap = 0.15;

    // `deliver` receives the island's scroll events.
    explicit ScrollPhaseSynthesizer(std::function<void(const IslandScrollEvent &)> deliver)
        : deliver_(std::move(deliver))
    {
    }

    // A delta in the desktop's convention (dy > 0 scrolls down), precise for a touchpad.
    void feed(double timestamp, double dx, double dy, bool precise, bool inverted);
    void cancel();
    bool inGesture() const { return inGesture_; }

private:
    void finish(IslandScrollEvent::Phase phase);

    std::function<void(const IslandScrollEvent &)> deliver_;
    bool inGesture_ = false;
    bool inverted_ = false;
    double lastTimestamp_ = 0;
    WorkItem idle_;
};

}  // namespace vesk
