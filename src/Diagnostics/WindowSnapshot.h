#pragma once

#include <QImage>
#include <QRect>

#include <functional>
#include <string>

namespace kit {
class Tree;
}

namespace vesk {

// A PNG of one island window, for developers. The window's content is its Kit tree, so it is
// rendered exactly, without asking a compositor; with the background, what the screen shows under
// the window is grabbed and the window composed over it. Nothing is ever reported: a snapshot that
// cannot be made is simply not written. Main thread only.
class WindowSnapshot {
public:
    struct Window {
        const kit::Tree *tree = nullptr;
        bool isVisible = false;
        QRect frame;       // global screen coordinates, in points
        double scale = 2;  // device pixels per point
    };

    // The window's pixels (transparent where it draws nothing), over the screen beneath it when
    // `withBackground`. Null for a hidden window or one without content.
    static QImage image(const Window &window, bool withBackground);
    static void write(const Window &window, const std::string &path, bool withBackground);

    // What the screen shows in `frame` (global points) at `scale` pixels per point; a null image
    // where nothing can be grabbed. Tests install their own.
    using Grabber = std::function<QImage(const QRect &frame, double scale)>;
    static void setGrabber(Grabber grabber);  // empty restores the screen grab
    static QImage screenImage(const QRect &frame, double scale);
};

}  // namespace vesk
