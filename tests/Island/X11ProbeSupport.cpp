#include <QProcess>

#include "X11ProbeSupport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace vesk::test {

X11Probe::X11Probe()
{
    // ctest runs test cases in parallel processes; cases that move the pointer, stack windows and
    // read the screen take turns.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray path = (runtime.isEmpty() ? QByteArray("/tmp") : runtime) + "/vesk-x11-tests.lock";
    lock_ = ::open(path.constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (lock_ >= 0)
        ::flock(lock_, LOCK_EX);
    display_ = XOpenDisplay(nullptr);
}

X11Probe::~X11Probe()
{
    if (display_) {
        for (Window w : created_)
            XDestroyWindow(display_, w);
        XCloseDisplay(display_);
    }
    if (lock_ >= 0)
        ::close(lock_);  // releases the lock
}

namespace {

// The 32-bit items (at most 64) of a window property of `type`, in the longs Xlib hands them in.
std::vector<long> longValues(Display *display, Window window, const char *property, Atom type)
{
    std::vector<long> out;
    Atom actualType;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 64, False, type, &actualType,
                           &format, &count, &after, &data)
            == Success
        && data && format == 32) {
        auto *values = reinterpret_cast<long *>(data);
        out.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return out;
}

}  // namespace

std::vector<QString> X11Probe::atomList(Window window, const char *property)
{
    std::vector<QString> out;
    for (long atom : longValues(display_, window, property, XA_ATOM)) {
        char *name = XGetAtomName(display_, Atom(atom));
        out.push_back(QString::fromLatin1(name));
        XFree(name);
    }
    return out;
}

std::vector<long> X11Probe::cardinals(Window window, const char *property)
{
    return longValues(display_, window, property, AnyPropertyType);
}

QRect X11Probe::geometry(Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes))
        return {};
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display_, window, root(), 0, 0, &x, &y, &child);
    return QRect(x, y, attributes.width, attributes.height);
}

bool X11Probe::isViewable(Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
}

Window X11Probe::topLevel(Window window)
{
    Window current = window;
    while (true) {
        Window rootReturn, parent;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display_, current, &rootReturn, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == rootReturn)
            return current;
        current = parent;
    }
}

std::vector<QRect> X11Probe::shape(Window window, bool input)
{
    std::vector<QRect> out;
    int count = 0, ordering = 0;
    XRectangle *rects = XShapeGetRectangles(display_, window, input ? ShapeInput : ShapeBounding, &count, &ordering);
    for (int i = 0; i < count; ++i)
        out.emplace_back(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    return out;
}

Window X11Probe::focus()
{
    Window window = 0;
    int revert = 0;
    XGetInputFocus(display_, &window, &revert);
    return window;
}

std::vector<Window> X11Probe::stacking()
{
    Window rootReturn, parent;
    Window *children = nullptr;
    unsigned int count = 0;
    std::vector<Window> out;
    if (XQueryTree(display_, root(), &rootReturn, &parent, &children, &count) && children)
        out.assign(children, children + count);
    if (children)
        XFree(children);
    return out;
}

QColor X11Probe::pixel(QPoint point)
{
    XImage *image = XGetImage(display_, root(), point.x(), point.y(), 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return {};
    const unsigned long value = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return QColor(int((value >> 16) & 0xff), int((value >> 8) & 0xff), int(value & 0xff));
}

Window X11Probe::createWindow(QRect frame, unsigned long rgb, WindowOptions options)
{
    XSetWindowAttributes attributes{};
    attributes.background_pixel = rgb;
    attributes.event_mask = ButtonPressMask | StructureNotifyMask;
    attributes.override_redirect = options.unmanaged;
    Window window = XCreateWindow(display_, root(), frame.x(), frame.y(), frame.width(), frame.height(), 0,
                                  CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask | CWOverrideRedirect, &attributes);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = frame.x();
    hints.y = frame.y();
    hints.width = frame.width();
    hints.height = frame.height();
    XSetWMNormalHints(display_, window, &hints);
    // Undecorated, so that the window manager's title bar does not cover what the tests look at.
    const long motif[5] = {2, 0, 0, 0, 0};
    Atom motifAtom = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display_, window, motifAtom, motifAtom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(motif), 5);
    if (options.ownPid) {
        const long pid = getpid();
        XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char *>(&pid), 1);
    }
    if (options.fullscreen) {
        Atom state = XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_STATE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char *>(&state), 1);
    }
    XMapRaised(display_, window);
    XFlush(display_);
    created_.push_back(window);
    return window;
}

int X11Probe::pressesOn(Window window)
{
    int presses = 0;
    XEvent event;
    while (XCheckTypedWindowEvent(display_, window, ButtonPress, &event))
        ++presses;
    return presses;
}

bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

}  // namespace vesk::test
