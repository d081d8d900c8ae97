#pragma once

#include "Base/Signal.h"

#include <X11/Xlib.h>

#include <memory>

class QSocketNotifier;

namespace vesk {

// The application's own Xlib connection for its panel windows and global input monitors, read on
// the Qt event loop. Qt keeps a connection of its own; this one is separate so that the island's
// windows and raw input do not depend on which Qt platform plugin runs.
//
// Main thread only. shared() is null when no X display can be opened; callers then offer an empty
// service.
class X11EventConnection {
public:
    static X11EventConnection *shared();

    Display *display() const { return display_; }
    Window root() const { return root_; }
    int screen() const { return screen_; }
    // The XInput extension's major opcode, 0 when XInput 2.2 is not available.
    int xinputOpcode() const { return xinputOpcode_; }
    int xfixesEventBase() const { return xfixesEventBase_; }
    Atom atom(const char *name);

    // Whether a compositing manager owns the screen's _NET_WM_CM_S<n> selection (kept current).
    bool compositorRunning() const { return compositorRunning_; }
    Signal<> compositorChanged;

    // Every event read from the connection, in order. Handlers filter what they want.
    Signal<XEvent &> event;

    // Sends buffered requests and handles events that Xlib has already queued.
    void flush();

private:
    X11EventConnection(Display *display);
    ~X11EventConnection();
    void dispatch();
    // Run each time the event loop is about to sleep: flush(), then every event already read.
    void beforeSleep();
    void refreshCompositor();

    Display *display_ = nullptr;
    Window root_ = 0;
    int screen_ = 0;
    int xinputOpcode_ = 0;
    int xfixesEventBase_ = -1;
    Atom compositorSelection_ = 0;
    bool compositorRunning_ = false;
    bool dispatching_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace vesk
