#include <QApplication>
#include <QToolTip>

// Qt before Xlib: Xlib's macros (Bool, Status, None) break Qt headers read after them.
#include <QString>

#include "Platform/sim/SimPanelWindow.h"
#include "Platform/linux/X11PanelWindow.h"

#include "Base/ZeroPages.h"

#include "Platform/linux/X11EventConnection.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/shape.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <unistd.h>

#include <cstring>
#include <set>
#include <vector>

namespace vesk {

namespace {

std::vector<XRectangle> rectangles(const QRegion &region)
{
    std::vector<XRectangle> out;
    for (const QRect &r : region)
        out.push_back({short(r.x()), short(r.y()), (unsigned short)r.width(), (unsigned short)r.height()});
    return out;
}

// The opaque runs (start, end) of one row of a premultiplied image.
void opaqueRuns(const QImage &image, int y, std::vector<std::pair<int, int>> &runs)
{
    runs.clear();
    const auto *row = reinterpret_cast<const quint32 *>(image.constScanLine(y));
    const int width = image.width();
    int start = -1;
    for (int x = 0; x <= width; ++x) {
        const bool opaque = x < width && qAlpha(row[x]) >= 128;
        if (opaque && start < 0) {
            start = x;
        } else if (!opaque && start >= 0) {
            runs.emplace_back(start, x);
            start = -1;
        }
    }
}

// `shown` within `area` as `content` there with `opacity` applied (premultiplied: every channel
// scales alike).
void applyOpacity(QImage &shown, const QImage &content, const QRect &area, double opacity)
{
    const quint32 factor = quint32(qBound(0.0, opacity, 1.0) * 256.0);
    const QRect r = area & content.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto *from = reinterpret_cast<const quint32 *>(content.constScanLine(y));
        auto *to = reinterpret_cast<quint32 *>(shown.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            const quint32 p = from[x];
            const quint32 rb = (((p & 0x00ff00ffu) * factor) >> 8) & 0x00ff00ffu;
            const quint32 ag = ((((p >> 8) & 0x00ff00ffu) * factor)) & 0xff00ff00u;
            to[x] = ag | rb;
        }
    }
}

int qtKey(KeySym sym)
{
    if (sym >= XK_a && sym <= XK_z)
        return Qt::Key_A + int(sym - XK_a);
    if (sym >= XK_A && sym <= XK_Z)
        return Qt::Key_A + int(sym - XK_A);
    if (sym >= XK_0 && sym <= XK_9)
        return Qt::Key_0 + int(sym - XK_0);
    switch (sym) {
    case XK_Return: case XK_KP_Enter: return Qt::Key_Return;
    case XK_Escape: return Qt::Key_Escape;
    case XK_Tab: return Qt::Key_Tab;
    case XK_BackSpace: return Qt::Key_Backspace;
    case XK_space: return Qt::Key_Space;
    case XK_Left: return Qt::Key_Left;
    case XK_Right: return Qt::Key_Right;
    case XK_Up: return Qt::Key_Up;
    case XK_Down: return Qt::Key_Down;
    default: return 0;
    }
}

// Every panel of this process: restacking one of them is never a reason to raise another.
std::set<Window> &panelWindows()
{
    static std::set<Window> windows;
    return windows;
}

// Whether `window` says it belongs to this process (_NET_WM_PID).
bool belongsToThisProcess(Display *display, Atom pidAtom, Window window)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data)
            != Success
        || !data)
        return false;
    const long pid = count == 1 && format == 32 ? *reinterpret_cast<long *>(data) : 0;
    XFree(data);
    return pid == getpid();
}

bool nameLooksLikeTouchpad(const char *name)
{
    const QString lower = QString::fromUtf8(name).toLower();
    return lower.contains(QLatin1String("touchpad")) || lower.contains(QLatin1String("trackpad"));
}

}  // namespace

X11PanelWindow::X11PanelWindow(X11EventConnection &connection)
    : connection_(connection), display_(connection.display())
{
    XVisualInfo info;
    XSetWindowAttributes attributes{};
    if (XMatchVisualInfo(display_, connection_.screen(), 32, TrueColor, &info)) {
        visual_ = info.visual;
        depth_ = 32;
        colormap_ = XCreateColormap(display_, connection_.root(), visual_, AllocNone);
    } else {
        visual_ = DefaultVisual(display_, connection_.screen());
        depth_ = DefaultDepth(display_, connection_.screen());
        colormap_ = DefaultColormap(display_, connection_.screen());
    }
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    // Window managers keep a focused full-screen window above every layer they manage (docks and
    // "above" windows included), so the panel stays out of their management and keeps itself on
    // top. Unmanaged windows are also never focused by the window manager, never in a taskbar,
    // pager or window cycling, and stay put on every workspace. The EWMH properties still say
    // what the window is, for tools that read them.
    attributes.override_redirect = True;
    attributes.event_mask = ExposureMask | StructureNotifyMask | FocusChangeMask | KeyPressMask | KeyReleaseMask;
    window_ = XCreateWindow(display_, connection_.root(), frame_.x(), frame_.y(), frame_.width(), frame_.height(), 0,
                            depth_, InputOutput, visual_, CWBackPixel | CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect,
                            &attributes);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    panelWindows().insert(window_);

    if (connection_.xinputOpcode()) {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_ButtonPress);
        XISetMask(bits, XI_ButtonRelease);
        XISetMask(bits, XI_Motion);
        XISetMask(bits, XI_Enter);
        XISetMask(bits, XI_Leave);
        XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
        XISelectEvents(display_, window_, &mask, 1);
    }
    setProperties();
    applyShape();
    eventConnection_ = connection_.event.connect([this](XEvent &e) { handle(e); });
    compositorConnection_ = connection_.compositorChanged.connect([this] { applyShape(); });
    connection_.flush();
}

X11PanelWindow::~X11PanelWindow()
{
    eventConnection_.reset();
    compositorConnection_.reset();
    if (focused_)
        setKeyboardFocus(false);
    panelWindows().erase(window_);
    for (const auto &[shape, cursor] : cursors_)
        XFreeCursor(display_, cursor);
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    if (depth_ == 32)
        XFreeColormap(display_, colormap_);
    XFlush(display_);
}

void X11PanelWindow::setProperties()
{
    XClassHint classHint{const_cast<char *>("vesk"), const_cast<char *>("Vesk")};
    XWMHints wmHints{};
    wmHints.flags = InputHint | StateHint;
    wmHints.input = focused_ ? True : False;  // never focused by the window manager
    wmHints.initial_state = NormalState;
    XSizeHints sizeHints{};
    sizeHints.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize;
    sizeHints.x = frame_.x();
    sizeHints.y = frame_.y();
    sizeHints.width = sizeHints.min_width = sizeHints.max_width = frame_.width();
    sizeHints.height = sizeHints.min_height = sizeHints.max_height = frame_.height();
    char title[] = "Vesk";
    XTextProperty name;
    char *list[] = {title};
    XStringListToTextProperty(list, 1, &name);
    XSetWMProperties(display_, window_, &name, &name, nullptr, 0, &sizeHints, &wmHints, &classHint);
    XFree(name.value);

    const auto utf8 = connection_.atom("UTF8_STRING");
    XChangeProperty(display_, window_, connection_.atom("_NET_WM_NAME"), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(title), 4);
    const long pid = getpid();
    XChangeProperty(display_, window_, connection_.atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&pid), 1);
    // A dock: window managers keep docks out of focus, taskbars and window cycling.
    const Atom type = connection_.atom("_NET_WM_WINDOW_TYPE_DOCK");
    XChangeProperty(display_, window_, connection_.atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&type), 1);
    const Atom states[] = {connection_.atom("_NET_WM_STATE_ABOVE"), connection_.atom("_NET_WM_STATE_STICKY"),
                           connection_.atom("_NET_WM_STATE_SKIP_TASKBAR"),
                           connection_.atom("_NET_WM_STATE_SKIP_PAGER")};
    XChangeProperty(display_, window_, connection_.atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(states), 4);
    const long allDesktops = 0xFFFFFFFF;
    XChangeProperty(display_, window_, connection_.atom("_NET_WM_DESKTOP"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&allDesktops), 1);
    const long motif[5] = {2 /* decorations given */, 0, 0 /* none */, 0, 0};
    const Atom motifAtom = connection_.atom("_MOTIF_WM_HINTS");
    XChangeProperty(display_, window_, motifAtom, motifAtom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(motif), 5);
}

void X11PanelWindow::setFrame(const QRect &frame)
{
    if (frame == frame_ || frame.isEmpty())
        return;
    frame_ = frame;
    setProperties();
    XMoveResizeWindow(display_, window_, frame_.x(), frame_.y(), frame_.width(), frame_.height());
    connection_.flush();
}

void X11PanelWindow::updateContent(const QImage &image, const QRegion &changed)
{
    const QSize before = content_.size();
    // Most frames change a few small areas (the bars, a title): only those are read again for the
    // outline and sent, and nothing is sent when they hold no changed pixel.
    present(takeChangedPixels(content_, image, changed), content_.size() != before);
}

void X11PanelWindow::drawContent(const std::function<QRegion(QImage &)> &draw)
{
    const QSize before = content_.size();
    const QRegion changed = draw(content_);
    if (content_.format() != QImage::Format_ARGB32_Premultiplied && !content_.isNull())
        content_ = content_.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    present(changed & QRegion(content_.rect()), content_.size() != before);
}

void X11PanelWindow::present(const QRegion &copied, bool resized)
{
    if (resized)
        rowRuns_.clear();
    if (copied.isEmpty())
        return;
    if (opacity_ > 0 && opacity_ < 1) {
        if (shown_.size() != content_.size())
            shown_ = QImage(content_.size(), QImage::Format_ARGB32_Premultiplied);
        for (const QRect &r : copied)
            applyOpacity(shown_, content_, r, opacity_);
    }
    if (connection_.compositorRunning()) {
        rowRuns_.clear();  // the outline is not used; read afresh should the compositor go
    } else {
        const QRect rows = copied.boundingRect();
        for (int y = rows.top(); y <= rows.bottom() && int(rowRuns_.size()) == content_.height(); ++y)
            opaqueRuns(content_, y, rowRuns_[size_t(y)]);
        applyOutline();
    }
    for (const QRect &r : copied)
        send(r);
    connection_.flush();
    releaseEmptyPagesLater(copied, resized);
}

void X11PanelWindow::releaseEmptyPagesLater(const QRegion &copied, bool resized)
{
    // Most of the panel is transparent, and a transparent pixel is all zeros: once the island has
    // settled, the picture's empty rows need no memory. Small frames (a live activity's bars)
    // leave an earlier release in place; a large change (the island opening or closing) waits
    // for the next quiet second, so that an animation never gives pages back only to take them
    // again at its next frame.
    constexpr qint64 largeChangeBytes = 64 * 1024;
    qint64 changedBytes = 0;
    for (const QRect &r : copied)
        changedBytes += qint64(r.width()) * r.height() * 4;
    if (!resized && changedBytes < largeChangeBytes)
        return;
    releaseEmpty_ = mainQueue().after(1.0, [this] {
        if (!content_.isNull())
            releaseZeroPages(const_cast<uchar *>(content_.constBits()), size_t(content_.sizeInBytes()));
    });
}

void X11PanelWindow::setOpacity(double opacity)
{
    opacity = qBound(0.0, opacity, 1.0);
    if (opacity == opacity_)
        return;
    opacity_ = opacity;
    if (opacity_ > 0 && opacity_ < 1) {
        if (shown_.size() != content_.size())
            shown_ = QImage(content_.size(), QImage::Format_ARGB32_Premultiplied);
        applyOpacity(shown_, content_, content_.rect(), opacity_);
    } else {
        // Fully shown, the content is sent as it is; fully faded, the window's own clear
        // background is: a fade that starts from nothing neither fills nor keeps a picture of it.
        shown_ = QImage();
    }
    paint();
}

void X11PanelWindow::show()
{
    // Window managers drop the EWMH state of a withdrawn window; state it again before mapping.
    setProperties();
    XMapRaised(display_, window_);
    visible_ = true;
    connection_.flush();
}

void X11PanelWindow::hide()
{
    if (!visible_)
        return;
    if (focused_)
        setKeyboardFocus(false);
    XWithdrawWindow(display_, window_, connection_.screen());
    visible_ = false;
    connection_.flush();
}

void X11PanelWindow::setShapeRegion(const QRegion &region)
{
    if (region == shape_)
        return;
    shape_ = region;
    applyShape();
}

void X11PanelWindow::setIgnoresPointer(bool ignores)
{
    if (ignores == ignoresPointer_)
        return;
    ignoresPointer_ = ignores;
    applyShape();
}

std::vector<XRectangle> X11PanelWindow::outlineRectangles()
{
    if (int(rowRuns_.size()) != content_.height()) {
        rowRuns_.assign(size_t(content_.height()), {});
        for (int y = 0; y < content_.height(); ++y)
            opaqueRuns(content_, y, rowRuns_[size_t(y)]);
    }
    // A run that continues the one on the row above exactly grows that rectangle.
    std::vector<XRectangle> out;
    std::vector<size_t> above, current;
    for (size_t y = 0; y < rowRuns_.size(); ++y) {
        current.clear();
        size_t next = 0;
        for (const auto &[start, end] : rowRuns_[y]) {
            const auto width = (unsigned short)(end - start);
            while (next < above.size() && out[above[next]].x < start)
                ++next;
            if (next < above.size() && out[above[next]].x == start && out[above[next]].width == width) {
                ++out[above[next]].height;
                current.push_back(above[next]);
            } else {
                out.push_back({short(start), short(y), width, 1});
                current.push_back(out.size() - 1);
            }
        }
        std::swap(above, current);
    }
    return out;
}

void X11PanelWindow::applyShape()
{
    applyOutline();
    auto input = rectangles(ignoresPointer_ ? QRegion() : shape_);
    XShapeCombineRectangles(display_, window_, ShapeInput, 0, 0, input.data(), int(input.size()), ShapeSet, Unsorted);
    connection_.flush();
}

void X11PanelWindow::applyOutline()
{
    // With a compositor the window keeps its whole rectangle (its translucent edges blend) and only
    // input follows the shape. Without one, translucency cannot show, so the window is cut to
    // what it draws opaquely.
    if (connection_.compositorRunning()) {
        XShapeCombineMask(display_, window_, ShapeBounding, 0, 0, None, ShapeSet);
        outlineSent_ = false;
        return;
    }
    auto visible = outlineRectangles();
    const auto same = [](const XRectangle &l, const XRectangle &r) {
        return l.x == r.x && l.y == r.y && l.width == r.width && l.height == r.height;
    };
    if (outlineSent_ && std::equal(visible.begin(), visible.end(), outline_.begin(), outline_.end(), same))
        return;
    XShapeCombineRectangles(display_, window_, ShapeBounding, 0, 0, visible.data(), int(visible.size()), ShapeSet,
                            Unsorted);
    outline_ = std::move(visible);
    outlineSent_ = true;
}

void X11PanelWindow::paint()
{
    send(content_.rect());
    connection_.flush();
}

void X11PanelWindow::send(const QRect &area)
{
    const QRect r = area & content_.rect() & QRect(QPoint(0, 0), frame_.size());
    if (!visible_ || r.isEmpty())
        return;
    if (opacity_ <= 0) {
        XClearArea(display_, window_, r.x(), r.y(), unsigned(r.width()), unsigned(r.height()), False);
        return;
    }
    const QImage &shown = opacity_ < 1 ? shown_ : content_;
    XImage *image = XCreateImage(display_, visual_, depth_, ZPixmap, 0,
                                 reinterpret_cast<char *>(const_cast<uchar *>(shown.constBits())), shown.width(),
                                 shown.height(), 32, int(shown.bytesPerLine()));
    if (!image)
        return;
    XPutImage(display_, window_, gc_, image, r.x(), r.y(), r.x(), r.y(), r.width(), r.height());
    image->data = nullptr;  // the pixels belong to the QImage
    XDestroyImage(image);
}

void X11PanelWindow::setCursor(Qt::CursorShape shape)
{
    if (shape == cursorShape_)
        return;
    cursorShape_ = shape;
    auto &cursor = cursors_[int(shape)];
    if (!cursor)
        cursor = XCreateFontCursor(display_, shape == Qt::PointingHandCursor ? XC_hand2 : XC_left_ptr);
    XDefineCursor(display_, window_, cursor);
    connection_.flush();
}

void X11PanelWindow::showTooltip(const QString &text, QPointF pixel)
{
    // Qt's tooltip needs the widgets application; without one there is no tooltip.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    const QString line = plainTooltipText(text);
    if (line.isEmpty()) {
        hideTooltip();
        return;
    }
    // Escaped inside a rich-text paragraph, so that "<b>x" shows as it stands.
    const QString shown = QStringLiteral("<p style='white-space:pre'>") + line.toHtmlEscaped() + QStringLiteral("</p>");
    const double ratio = qApp->devicePixelRatio();
    const QPointF global = QPointF(frame_.topLeft()) + pixel;
    // A little below the pointer, as tooltips sit.
    QToolTip::showText((global / (ratio > 0 ? ratio : 1)).toPoint() + QPoint(0, 18), shown);
}

void X11PanelWindow::hideTooltip()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QToolTip::hideText();
}

void X11PanelWindow::setKeyboardFocus(bool focused)
{
    if (focused == focused_)
        return;
    focused_ = focused;
    setProperties();
    if (focused) {
        Window current = 0;
        int revert = 0;
        XGetInputFocus(display_, &current, &revert);
        if (current != window_)
            previousFocus_ = current;
        // No window manager focuses an unmanaged window; it takes the focus itself (again once
        // mapped, if it is not yet).
        if (visible_)
            XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
    } else {
        Window current = 0;
        int revert = 0;
        XGetInputFocus(display_, &current, &revert);
        if (current == window_) {
            XSetInputFocus(display_, previousFocus_ > PointerRoot ? previousFocus_ : PointerRoot,
                           RevertToPointerRoot, CurrentTime);
        }
        previousFocus_ = 0;
    }
    connection_.flush();
}

X11PanelWindow::DeviceInfo &X11PanelWindow::device(int id)
{
    auto found = devices_.find(id);
    if (found != devices_.end())
        return found->second;
    DeviceInfo &info = devices_[id];
    int count = 0;
    XIDeviceInfo *devices = XIQueryDevice(display_, id, &count);
    if (!devices)
        return info;
    for (int c = 0; c < devices[0].num_classes; ++c) {
        if (devices[0].classes[c]->type != XIScrollClass)
            continue;
        auto *scroll = reinterpret_cast<XIScrollClassInfo *>(devices[0].classes[c]);
        info.axes.push_back({scroll->number, scroll->scroll_type == XIScrollTypeVertical,
                             scroll->increment != 0 ? std::abs(scroll->increment) : 1.0});
    }
    info.touchpad = nameLooksLikeTouchpad(devices[0].name);
    XIFreeDeviceInfo(devices);

    auto readFlag = [&](const char *property, bool &exists) {
        Atom atom = XInternAtom(display_, property, True);
        exists = false;
        if (atom == None)
            return false;
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char *data = nullptr;
        bool value = false;
        if (XIGetProperty(display_, id, atom, 0, 1, False, AnyPropertyType, &type, &format, &items, &after, &data)
                == Success
            && data && items > 0) {
            exists = true;
            value = format == 8 && data[0] != 0;
        }
        if (data)
            XFree(data);
        return value;
    };
    bool exists = false;
    readFlag("libinput Tapping Enabled", exists);
    info.touchpad = info.touchpad || exists;
    info.natural = readFlag("libinput Natural Scrolling Enabled", exists);
    return info;
}

void X11PanelWindow::handle(XEvent &e)
{
    if (e.type == GenericEvent) {
        if (e.xcookie.extension == connection_.xinputOpcode() && e.xcookie.data)
            handleInput(e.xcookie.evtype, e.xcookie.data);
        return;
    }
    if (visible_ && (e.type == MapNotify || e.type == ConfigureNotify) && e.xany.window == connection_.root()) {
        // The island goes back on top whenever another window is mapped, or restacked right above
        // a panel (a window only moved or resized below the panels changes nothing).
        const Window changed = e.type == MapNotify ? e.xmap.window : e.xconfigure.window;
        const bool coversPanel = e.type == MapNotify || panelWindows().count(e.xconfigure.above);
        if (!panelWindows().count(changed) && coversPanel) {
            // The application's own pop-ups (the island's context menu, tooltips) open over the
            // island and stay there until dismissed.
            const bool popup = e.type == MapNotify ? e.xmap.override_redirect : e.xconfigure.override_redirect;
            if (popup && belongsToThisProcess(display_, connection_.atom("_NET_WM_PID"), changed))
                return;
            XRaiseWindow(display_, window_);
            XFlush(display_);
        }
        return;
    }
    if (e.xany.window != window_)
        return;
    switch (e.type) {
    case Expose:
        if (e.xexpose.count == 0)
            paint();
        break;
    case MapNotify:
        if (focused_)
            XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
        paint();
        break;
    case FocusIn:
    case FocusOut:
        break;
    case KeyPress:
    case KeyRelease: {
        char buffer[32] = {};
        KeySym sym = 0;
        const int length = XLookupString(&e.xkey, buffer, sizeof buffer - 1, &sym, nullptr);
        key({e.type == KeyPress, qtKey(sym), QString::fromLatin1(buffer, length)});
        break;
    }
    default:
        break;
    }
}

void X11PanelWindow::handleInput(int type, void *data)
{
    if (type == XI_Enter || type == XI_Leave) {
        auto *crossing = static_cast<XIEnterEvent *>(data);
        if (crossing->event != window_)
            return;
        // Smooth-scroll valuators restart counting after the pointer re-enters.
        for (auto &[id, info] : devices_)
            info.lastValue.clear();
        if (type == XI_Leave)
            pointer({PanelPointerEvent::Kind::leave, 0, QPointF(crossing->event_x, crossing->event_y),
                     crossing->time / 1000.0});
        return;
    }
    if (type != XI_ButtonPress && type != XI_ButtonRelease && type != XI_Motion)
        return;
    auto *event = static_cast<XIDeviceEvent *>(data);
    if (event->event != window_)
        return;
    const double timestamp = event->time / 1000.0;
    const QPointF position(event->event_x, event->event_y);
    DeviceInfo &info = device(event->sourceid);

    if (type == XI_Motion) {
        pointer({PanelPointerEvent::Kind::move, 0, position, timestamp});
        if (!info.touchpad)
            return;
        double dx = 0, dy = 0;
        const double *values = event->valuators.values;
        for (int n = 0; n < event->valuators.mask_len * 8; ++n) {
            if (!XIMaskIsSet(event->valuators.mask, n))
                continue;
            const double value = *values++;
            for (const auto &axis : info.axes) {
                if (axis.number != n)
                    continue;
                auto last = info.lastValue.find(n);
                if (last != info.lastValue.end()) {
                    const double points = (value - last->second) / axis.increment * touchpadPointsPerIncrement;
                    (axis.vertical ? dy : dx) += points;
                }
                info.lastValue[n] = value;
            }
        }
        if (dx != 0 || dy != 0)
            scroll({timestamp, dx, dy, true, info.natural});
        return;
    }

    const int button = event->detail;
    if (button >= 4 && button <= 7) {
        // Touchpads scroll through their valuators; the buttons the server derives from them
        // would count every stroke twice.
        if (type == XI_ButtonRelease || (info.touchpad && (event->flags & XIPointerEmulated)))
            return;
        const double dx = button == 6 ? -1 : button == 7 ? 1 : 0;
        const double dy = button == 4 ? -1 : button == 5 ? 1 : 0;
        scroll({timestamp, dx, dy, false, info.natural});
        return;
    }
    pointer({type == XI_ButtonPress ? PanelPointerEvent::Kind::press : PanelPointerEvent::Kind::release, button,
             position, timestamp});
}

std::unique_ptr<PanelWindow> makePanelWindow()
{
    if (auto *connection = X11EventConnection::shared())
        return std::make_unique<X11PanelWindow>(*connection);
    return std::make_unique<SimPanelWindow>();
}

}  // namespace vesk
