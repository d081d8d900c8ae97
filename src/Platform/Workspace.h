#pragma once

#include "Base/Signal.h"

#include <QRectF>
#include <QString>

#include <optional>

namespace vesk {

// The desktop's workspaces (Spaces) and windows, as far as the island cares: which workspace is
// shown, whether a display is covered by a full-screen window, and which application is in front.
// Main thread only; notifications arrive on the main thread from the event loop. Without a window
// system to ask, the service is empty: no full screen, no frontmost application, nothing reported.
class Workspace {
public:
    virtual ~Workspace() = default;

    // Whether the workspace now shown on the display is full screen: a window that is on it, not
    // minimised, marked full screen and covering the whole display. `displayPixels` is the
    // display's rectangle in device pixels of the desktop (Screen::pixelFrame). Asks the window
    // system afresh (a few round trips), so call it on a change rather than every frame.
    virtual bool isFullscreen(const QRectF &displayPixels) const = 0;

    // The identifier of the application whose window is active, lower-cased; none when no window
    // is active or it names no application.
    virtual std::optional<QString> frontmostApplication() const = 0;

    // Another workspace is now shown.
    Signal<> activeSpaceChanged;
    // The active window changed, or a window was added, removed, moved to another workspace or
    // changed its state: full screen may differ now. This is not a workspace switch.
    Signal<> windowsChanged;
    // The frontmost application changed; carries the new identifier (lower-cased) or none.
    Signal<const std::optional<QString> &> frontmostApplicationChanged;
};

// The installed service: EWMH on X11 unless a test or tool installed another.
Workspace &workspace();
void setWorkspace(Workspace *service);  // nullptr restores the real one

}  // namespace vesk
