// Qt before Xlib: Xlib's macros (Bool, Status, None) break Qt headers read after them.
#include "Base/MainQueue.h"
#include "Platform/sim/SimPointerMonitor.h"

#include "Platform/linux/XInputPointerMonitor.h"
#include "Platform/linux/X11EventConnection.h"

#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>

#include <unistd.h>

namespace vesk {

XInputPointerMonitor::XInputPointerMonitor(X11EventConnection &connection)
    : connection_(connection), display_(connection.display())
{
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawMotion);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
    XISelectEvents(display_, connection_.root(), &mask, 1);
    eventConnection_ = connection_.event.connect([this](XEvent &e) { handle(e); });
    connection_.flush();
}

XInputPointerMonitor::~XInputPointerMonitor()
{
    // Other monitors may share the connection's root selection; an empty mask on the last one
    // costs nothing to leave, so the selection stays.
}

XInputPointerMonitor::Query XInputPointerMonitor::query() const
{
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display_, connection_.root(), &rootReturn, &child, &rootX, &rootY, &x, &y, &mask))
        return {};
    return {QPointF(rootX, rootY), mask, child};
}

QPointF XInputPointerMonitor::position() const
{
    return reporting_ ? reporting_->position : query().position;
}

bool XInputPointerMonitor::anyButtonHeld() const
{
    const unsigned mask = reporting_ ? reporting_->mask : query().mask;
    return mask & (Button1Mask | Button2Mask | Button3Mask);
}

void XInputPointerMonitor::report(const PointerActivity &event, const Query &state)
{
    reporting_ = &state;
    activity(event);
    reporting_ = nullptr;
}

bool XInputPointerMonitor::isOwnWindow(Window window) const
{
    // Walk down from the top-level window under the pointer (a window manager's frame, or an
    // unmanaged window) until a window that names its process.
    const Atom pidAtom = XInternAtom(display_, "_NET_WM_PID", False);
    const long self = getpid();
    for (int depth = 0; window && depth < 8; ++depth) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(display_, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                               &data)
                == Success
            && data) {
            const long pid = count == 1 && format == 32 ? *reinterpret_cast<long *>(data) : 0;
            XFree(data);
            return pid == self;
        }
        Window rootReturn = 0, child = 0;
        int rootX, rootY, x, y;
        unsigned mask;
        if (!XQueryPointer(display_, window, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask))
            return false;
        window = child;
    }
    return false;
}

void XInputPointerMonitor::handle(XEvent &e)
{
    if (e.type != GenericEvent || e.xcookie.extension != connection_.xinputOpcode() || !e.xcookie.data)
        return;
    const int type = e.xcookie.evtype;
    if (type != XI_RawMotion && type != XI_RawButtonPress && type != XI_RawButtonRelease)
        return;
    auto *raw = static_cast<XIRawEvent *>(e.xcookie.data);
    const double timestamp = raw->time / 1000.0;

    if (type == XI_RawMotion) {
        // A touchpad's scrolling also arrives as raw motion; the position query below just finds
        // the pointer where it was. Bursts are coalesced into one report on the next turn.
        lastMoveTime_ = timestamp;
        if (movePending_)
            return;
        movePending_ = true;
        lifetime_.post([this] {
            movePending_ = false;
            const Query now = query();
            report({PointerActivity::Kind::move, 0, now.position, lastMoveTime_, false}, now);
        });
        return;
    }
    const int button = raw->detail;
    if (button < 1 || button > 3)
        return;  // wheel notches and extra buttons are not clicks
    const Query now = query();
    const bool own = isOwnWindow(now.child);
    report({type == XI_RawButtonPress ? PointerActivity::Kind::press : PointerActivity::Kind::release, button,
            now.position, timestamp, own},
           now);
}

std::unique_ptr<PointerMonitor> makePointerMonitor()
{
    auto *connection = X11EventConnection::shared();
    if (connection && connection->xinputOpcode())
        return std::make_unique<XInputPointerMonitor>(*connection);
    return std::make_unique<SimPointerMonitor>();
}

}  // namespace vesk
