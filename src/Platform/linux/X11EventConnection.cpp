// Qt before Xlib: Xlib's macros (Bool, Status, None) break Qt headers read after them.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "Platform/linux/X11EventConnection.h"
#include "Platform/linux/XlibOutput.h"

#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xfixes.h>

#include <string>

namespace vesk {

X11EventConnection *X11EventConnection::shared()
{
    // Opened once; a display that cannot be opened is not retried (the session has none).
    static X11EventConnection *instance = [] () -> X11EventConnection * {
        if (!QCoreApplication::instance())
            return nullptr;
        Display *display = XOpenDisplay(nullptr);
        if (!display)
            return nullptr;
        return new X11EventConnection(display);
    }();
    return instance;
}

X11EventConnection::X11EventConnection(Display *display)
    : display_(display), root_(DefaultRootWindow(display)), screen_(DefaultScreen(display))
{
    // Requests on windows that went away meanwhile (a focus handed back to a closed window, a
    // device unplugged) fail harmlessly; Xlib's default handler would end the process.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    int event = 0, error = 0;
    int opcode = 0;
    if (XQueryExtension(display_, "XInputExtension", &opcode, &event, &error)) {
        int major = 2, minor = 2;
        if (XIQueryVersion(display_, &major, &minor) == Success && (major > 2 || minor >= 2))
            xinputOpcode_ = opcode;
    }
    if (XFixesQueryExtension(display_, &event, &error)) {
        xfixesEventBase_ = event;
        compositorSelection_ = atom(("_NET_WM_CM_S" + std::to_string(screen_)).c_str());
        XFixesSelectSelectionInput(display_, root_, compositorSelection_,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                       | XFixesSelectionClientCloseNotifyMask);
    }
    refreshCompositor();
    // Top-level windows mapped and restacked: the panels stay above them.
    XSelectInput(display_, root_, SubstructureNotifyMask);

    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { dispatch(); });
    // Some events are read where the socket notifier cannot see them (see beforeSleep()): look
    // for them each time the event loop is about to sleep.
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier_.get(), [this] { beforeSleep(); });
}

X11EventConnection::~X11EventConnection()
{
    notifier_.reset();
    XCloseDisplay(display_);
}

Atom X11EventConnection::atom(const char *name)
{
    return XInternAtom(display_, name, False);
}

void X11EventConnection::flush()
{
    if (hasUnsentRequests(display_))
        XFlush(display_);
    // Xlib's queue length as XEventsQueued(QueuedAlready) gives it, without taking the display's
    // lock: this connection is the main thread's alone.
    if (QLength(display_) > 0)
        dispatch();
}

void X11EventConnection::beforeSleep()
{
    flush();
    // Events may be read off the socket where its notifier never hears of them: into Xlib's queue
    // during round trips, and into xcb's buffer while a large request (a panel's picture) is
    // written, since xcb reads whatever the server sends so that neither side blocks. A click
    // read that way would wait for the next event to arrive. Looking after reading costs one
    // read that finds nothing when there is nothing; it is done only here; the windows' own
    // flushes (a frame just sent) look only at Xlib's queue.
    if (XEventsQueued(display_, QueuedAfterReading) > 0)
        dispatch();
}

void X11EventConnection::dispatch()
{
    if (dispatching_)
        return;
    dispatching_ = true;
    while (XPending(display_) > 0) {
        XEvent e;
        XNextEvent(display_, &e);
        if (xfixesEventBase_ >= 0 && e.type == xfixesEventBase_ + XFixesSelectionNotify) {
            refreshCompositor();
            continue;
        }
        const bool cookie = e.type == GenericEvent && e.xcookie.extension == xinputOpcode_ && xinputOpcode_ != 0
            && XGetEventData(display_, &e.xcookie);
        event(e);
        if (cookie)
            XFreeEventData(display_, &e.xcookie);
    }
    dispatching_ = false;
}

void X11EventConnection::refreshCompositor()
{
    const bool running = compositorSelection_ != 0 && XGetSelectionOwner(display_, compositorSelection_) != None;
    if (running == compositorRunning_)
        return;
    compositorRunning_ = running;
    compositorChanged();
}

}  // namespace vesk
