#pragma once

#include "Base/Signal.h"

#include <QPointF>

#include <memory>

namespace vesk {

// A pointer event anywhere on the desktop, whichever window is under it.
struct PointerActivity {
    enum class Kind { move, press, release };
    Kind kind = Kind::move;
    int button = 0;  // 1 = left, 2 = middle, 3 = right; 0 for moves
    // Where the pointer is, in pixels of the virtual desktop (origin at its top left).
    QPointF position;
    // Seconds on the server's monotonic time base; only differences mean anything.
    double timestamp = 0;
    // The pointer is over a window of this process (an island, the settings window, ...): such an
    // event belongs to the application itself and is never a click "outside".
    bool overOwnWindow = false;
};

// Watches the pointer over the whole desktop: where it is, which buttons are held, every move,
// press and release, also while other applications hold the pointer.
//
// Main thread only. Moves that arrive in a burst are reported once, with the latest position.
// Without a display server (or without XInput 2) it reports a fixed position, no buttons and no
// events.
class PointerMonitor {
public:
    virtual ~PointerMonitor() = default;

    virtual QPointF position() const = 0;
    // Whether any mouse button is held right now.
    virtual bool anyButtonHeld() const = 0;

    Signal<const PointerActivity &> activity;
};

// The desktop's pointer monitor: XInput 2 raw events when an X display is reachable.
std::unique_ptr<PointerMonitor> makePointerMonitor();

}  // namespace vesk
