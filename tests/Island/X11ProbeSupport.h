#pragma once

// Reads an X server back the way an outside observer would: window properties, geometry, input
// shape, focus, stacking and screen pixels. Qt headers must come before this one (Xlib's macros).

#include <QColor>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <vector>

namespace vesk::test {

class X11Probe {
public:
    X11Probe();
    ~X11Probe();
    bool ok() const { return display_ != nullptr; }
    Display *display() const { return display_; }
    Window root() const { return DefaultRootWindow(display_); }

    std::vector<QString> atomList(Window window, const char *property);
    std::vector<long> cardinals(Window window, const char *property);
    // Geometry in root coordinates; empty when the window is gone.
    QRect geometry(Window window);
    bool isViewable(Window window);
    // The window's ancestor that is a direct child of the root (the window manager's frame).
    Window topLevel(Window window);
    // Rectangles of the window's input (or bounding) shape, in window coordinates.
    std::vector<QRect> shape(Window window, bool input);
    Window focus();
    // Top-level windows from bottom to top.
    std::vector<Window> stacking();
    QColor pixel(QPoint rootPoint);

    // A plain test window that records the buttons pressed on it.
    struct WindowOptions {
        bool fullscreen = false;
        // Names this process as its owner, like the application's other windows.
        bool ownPid = false;
        // Out of the window manager's hands: no click-to-focus grabs, no placement.
        bool unmanaged = false;
    };
    Window createWindow(QRect frame, unsigned long rgb, WindowOptions options);
    Window createWindow(QRect frame, unsigned long rgb) { return createWindow(frame, rgb, WindowOptions{}); }
    int pressesOn(Window window);

private:
    int lock_ = -1;
    Display *display_ = nullptr;
    std::vector<Window> created_;
};

// Runs xdotool with the given arguments and waits for it.
bool xdotool(const QStringList &arguments);

}  // namespace vesk::test
