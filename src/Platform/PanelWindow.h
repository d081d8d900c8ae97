#pragma once

#include "Base/Signal.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace vesk {

// Pointer input that reached a panel window. Positions are in window pixels; timestamps are
// seconds on the server's monotonic time base (only differences between them mean anything).
struct PanelPointerEvent {
    enum class Kind { press, release, move, leave };
    Kind kind = Kind::move;
    int button = 0;  // 1 = left, 2 = middle, 3 = right; 0 for moves
    QPointF position;
    double timestamp = 0;
};

// One scroll delta that reached a panel window, in the X convention: dy > 0 scrolls down (the wheel
// turned towards the user, the view moving further down its content), dx > 0 scrolls right.
// `precise` deltas come from a touchpad, in points; the others are wheel notches (one per event,
// a delta of 1). X reports no gesture phases and no momentum: a touchpad stroke is a plain run of
// precise deltas.
struct PanelScrollEvent {
    double timestamp = 0;
    double dx = 0;
    double dy = 0;
    bool precise = false;
    // The device reverses its deltas ("natural" scrolling), so they follow the fingers.
    bool inverted = false;
};

// A key that reached the panel while it holds the keyboard focus.
struct PanelKeyEvent {
    bool pressed = true;
    int key = 0;  // a Qt::Key value, 0 when the key has none
    QString text;
};

// A frameless, translucent top-level window above all others (full-screen ones included), on every
// workspace, out of the taskbar, pagers and window cycling, that never takes the keyboard focus
// unless asked to. Pointer input passes through it everywhere except over its hit region, so the
// desktop below stays usable beside and below what it draws.
//
// Main thread only. Without a display server every operation does nothing and no event arrives.
class PanelWindow {
public:
    virtual ~PanelWindow() = default;

    // Frame in pixels of the virtual desktop (origin at the top left of the whole desktop).
    virtual void setFrame(const QRect &frame) = 0;
    virtual QRect frame() const = 0;

    // What the window shows: premultiplied ARGB, drawn from the window's top-left pixel.
    void setContent(const QImage &image) { updateContent(image, QRegion(image.rect())); }
    // The same, when nothing outside `changed` (window pixels) differs from the content set last:
    // only that part is read and sent on, and nothing at all when it holds no changed pixel. An
    // image of another size than the last counts as changed everywhere. The window keeps its own
    // copy, so the caller may go on drawing into `image`.
    virtual void updateContent(const QImage &image, const QRegion &changed) = 0;
    // For a caller that would otherwise keep a copy of what the window shows: `draw` changes the
    // window's own pixels in place (null before any content; it may make them anew at another
    // size) and returns where it changed them (window pixels), which is then sent on.
    virtual void drawContent(const std::function<QRegion(QImage &)> &draw) = 0;
    // Opacity of the whole window, 0 to 1, applied over the content.
    virtual void setOpacity(double opacity) = 0;
    virtual double opacity() const = 0;

    // Brings the window to the front of everything (order front) or removes it from the screen.
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool isVisible() const = 0;

    // The area, in window pixels, that the window occupies for the pointer. With a compositor the
    // window stays whole and only input follows the region (smooth, translucent edges); without one
    // the window is also cut to the region, since nothing could show its translucency anyway.
    virtual void setShapeRegion(const QRegion &region) = 0;
    // When set, every pointer event passes through, the shape region included.
    virtual void setIgnoresPointer(bool ignores) = 0;
    virtual bool ignoresPointer() const = 0;

    // The pointer's shape while it is over the window's shape region.
    virtual void setCursor(Qt::CursorShape shape) = 0;
    virtual Qt::CursorShape cursor() const = 0;

    // Shows `text` as a tooltip near `pixel` (window pixels), always as plain text on one line, or
    // hides it. Windows without tooltips ignore both.
    virtual void showTooltip(const QString &text, QPointF pixel) {}
    virtual void hideTooltip() {}

    // Takes the keyboard focus (true) or gives it back to the window that had it (false).
    virtual void setKeyboardFocus(bool focused) = 0;
    virtual bool hasKeyboardFocus() const = 0;

    // The native window identifier, 0 when there is no window.
    virtual std::uint64_t nativeId() const = 0;

    Signal<const PanelPointerEvent &> pointer;
    Signal<const PanelScrollEvent &> scroll;
    Signal<const PanelKeyEvent &> key;
};

// Copies into `shown` the pixels of `image` within `changed` that differ from it and returns the
// rectangles copied (each one of `changed`'s cut to its rows that differ). When the two differ in
// size or format, `shown` becomes a copy of the whole image and so does the result.
QRegion takeChangedPixels(QImage &shown, const QImage &image, const QRegion &changed);

// A tooltip's text as the panel shows it: one line (line breaks and other control characters
// become spaces), trimmed; markup stays literal.
QString plainTooltipText(const QString &text);

// The desktop's panel window: an X11 window when an X display is reachable (the display Qt uses,
// else $DISPLAY), otherwise one that draws nothing and receives nothing.
std::unique_ptr<PanelWindow> makePanelWindow();

}  // namespace vesk
