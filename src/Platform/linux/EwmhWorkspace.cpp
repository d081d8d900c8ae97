#include "Platform/linux/EwmhWorkspace.h"

#include "Platform/linux/XcbDisplay.h"

#include <QObject>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

namespace vesk {

namespace {

constexpr uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr uint32_t kIconicState = 3;  // ICCCM WM_STATE of a minimised window

struct Reply {
    xcb_get_property_reply_t *r = nullptr;
    Reply(xcb_connection_t *c, xcb_get_property_cookie_t cookie) : r(xcb_get_property_reply(c, cookie, nullptr)) {}
    ~Reply() { std::free(r); }
    Reply(const Reply &) = delete;
    Reply &operator=(const Reply &) = delete;

    std::vector<uint32_t> values() const
    {
        if (!r || r->format != 32)
            return {};
        auto *data = static_cast<const uint32_t *>(xcb_get_property_value(r));
        return {data, data + xcb_get_property_value_length(r) / 4};
    }
    QByteArray bytes() const
    {
        if (!r || r->format != 8)
            return {};
        return QByteArray(static_cast<const char *>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
    }
};

xcb_get_property_cookie_t ask(xcb_connection_t *c, xcb_window_t w, xcb_atom_t property)
{
    return xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
}

}  // namespace

struct EwmhWorkspace::X {
    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    std::unique_ptr<QObject> context;
    std::unique_ptr<QSocketNotifier> notifier;
    std::set<xcb_window_t> watched;
    std::optional<uint32_t> desktop;

    xcb_atom_t currentDesktop = 0, activeWindow = 0, clientList = 0, wmState = 0, wmStateFullscreen = 0,
               wmStateHidden = 0, wmDesktop = 0, gtkApplicationId = 0, icccmState = 0;

    bool ok() const { return c && !xcb_connection_has_error(c); }

    uint32_t single(xcb_window_t w, xcb_atom_t property, uint32_t fallback) const
    {
        auto v = Reply(c, ask(c, w, property)).values();
        return v.empty() ? fallback : v.front();
    }
};

EwmhWorkspace::EwmhWorkspace() : x_(std::make_unique<X>())
{
    const XcbDisplay display = connectXcbDisplay();
    if (!display.connection)
        return;
    xcb_connection_t *c = display.connection;
    x_->c = c;
    x_->root = display.root;

    const std::pair<xcb_atom_t *, const char *> names[] = {
        {&x_->currentDesktop, "_NET_CURRENT_DESKTOP"}, {&x_->activeWindow, "_NET_ACTIVE_WINDOW"},
        {&x_->clientList, "_NET_CLIENT_LIST"},         {&x_->wmState, "_NET_WM_STATE"},
        {&x_->wmStateFullscreen, "_NET_WM_STATE_FULLSCREEN"}, {&x_->wmStateHidden, "_NET_WM_STATE_HIDDEN"},
        {&x_->wmDesktop, "_NET_WM_DESKTOP"},           {&x_->gtkApplicationId, "_GTK_APPLICATION_ID"},
        {&x_->icccmState, "WM_STATE"},
    };
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (auto &[atom, name] : names)
        cookies.push_back(xcb_intern_atom(c, 0, uint16_t(strlen(name)), name));
    for (size_t i = 0; i < cookies.size(); ++i) {
        if (auto *r = xcb_intern_atom_reply(c, cookies[i], nullptr)) {
            *names[i].first = r->atom;
            std::free(r);
        }
    }

    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, x_->root, XCB_CW_EVENT_MASK, &mask);
    x_->desktop = x_->single(x_->root, x_->currentDesktop, 0);
    watchClients();
    frontmost_ = readFrontmost();
    xcb_flush(c);

    x_->context = std::make_unique<QObject>();
    x_->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(x_->notifier.get(), &QSocketNotifier::activated, x_->context.get(), [this] { readEvents(); });
    // Events that arrived while we waited for the replies above are already queued.
    scheduleRead();
}

EwmhWorkspace::~EwmhWorkspace()
{
    x_->notifier.reset();
    x_->context.reset();
    if (x_->c)
        xcb_disconnect(x_->c);
}

void EwmhWorkspace::watchClients()
{
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    std::set<xcb_window_t> now;
    for (uint32_t w : Reply(x_->c, ask(x_->c, x_->root, x_->clientList)).values()) {
        now.insert(w);
        // A window that is already gone answers with an error event, which readEvents() skips.
        if (!x_->watched.count(w))
            xcb_change_window_attributes(x_->c, w, XCB_CW_EVENT_MASK, &mask);
    }
    x_->watched = std::move(now);
}

std::optional<QString> EwmhWorkspace::readFrontmost() const
{
    xcb_connection_t *c = x_->c;
    const uint32_t active = x_->single(x_->root, x_->activeWindow, 0);
    if (!active)
        return std::nullopt;
    auto gtk = ask(c, active, x_->gtkApplicationId);
    auto wmClass = ask(c, active, XCB_ATOM_WM_CLASS);
    const QByteArray id = Reply(c, gtk).bytes();
    const QByteArray cls = Reply(c, wmClass).bytes();
    if (!id.isEmpty())
        return QString::fromUtf8(id).toLower();
    // WM_CLASS holds the instance name and then the class name, each ended by a NUL.
    const QList<QByteArray> parts = cls.split('\0');
    if (parts.size() >= 2 && !parts[1].isEmpty())
        return QString::fromUtf8(parts[1]).toLower();
    return std::nullopt;
}

bool EwmhWorkspace::isFullscreen(const QRectF &display) const
{
    if (!x_->ok())
        return false;
    xcb_connection_t *c = x_->c;
    const uint32_t desktop = x_->single(x_->root, x_->currentDesktop, 0);
    const auto clients = Reply(c, ask(c, x_->root, x_->clientList)).values();

    struct Asked {
        xcb_get_property_cookie_t desktop, state, icccm;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
    };
    std::vector<Asked> asked;
    for (uint32_t w : clients) {
        asked.push_back({ask(c, w, x_->wmDesktop), ask(c, w, x_->wmState), ask(c, w, x_->icccmState),
                         xcb_get_geometry(c, w), xcb_translate_coordinates(c, w, x_->root, 0, 0)});
    }
    bool found = false;
    for (auto &a : asked) {
        // Every reply is collected, even after a match, so none is left behind on the connection.
        const auto onDesktop = Reply(c, a.desktop).values();
        const auto state = Reply(c, a.state).values();
        const auto icccm = Reply(c, a.icccm).values();
        auto *geometry = xcb_get_geometry_reply(c, a.geometry, nullptr);
        auto *origin = xcb_translate_coordinates_reply(c, a.origin, nullptr);
        const bool here = onDesktop.empty() || onDesktop.front() == desktop || onDesktop.front() == kAllDesktops;
        auto has = [&](xcb_atom_t atom) { return std::find(state.begin(), state.end(), atom) != state.end(); };
        const bool minimised = has(x_->wmStateHidden) || (!icccm.empty() && icccm.front() == kIconicState);
        if (!found && here && !minimised && has(x_->wmStateFullscreen) && geometry && origin) {
            const QRectF window(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
            found = window.contains(display);
        }
        std::free(geometry);
        std::free(origin);
    }
    // Events may have been queued while we waited for the replies.
    scheduleRead();
    return found;
}

void EwmhWorkspace::scheduleRead() const
{
    if (readScheduled_ || !x_->context)
        return;
    readScheduled_ = true;
    QMetaObject::invokeMethod(x_->context.get(), [this] { const_cast<EwmhWorkspace *>(this)->readEvents(); },
                              Qt::QueuedConnection);
}

void EwmhWorkspace::readEvents()
{
    readScheduled_ = false;
    if (!x_->ok()) {
        x_->notifier.reset();
        return;
    }
    bool spaceChanged = false, windowsChanged = false, frontmostDirty = false, clientsDirty = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(x_->c)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_PROPERTY_NOTIFY) {
            auto *e = reinterpret_cast<xcb_property_notify_event_t *>(event);
            if (e->window == x_->root) {
                if (e->atom == x_->currentDesktop) {
                    spaceChanged = true;
                } else if (e->atom == x_->activeWindow) {
                    windowsChanged = frontmostDirty = true;
                } else if (e->atom == x_->clientList) {
                    windowsChanged = clientsDirty = true;
                }
            } else if (e->atom == x_->wmState || e->atom == x_->wmDesktop || e->atom == x_->icccmState) {
                windowsChanged = true;
            } else if (e->atom == x_->gtkApplicationId || e->atom == XCB_ATOM_WM_CLASS) {
                frontmostDirty = true;
            }
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            windowsChanged = true;
        }
        std::free(event);  // errors (type 0) about windows that went away need nothing
    }
    if (!x_->ok()) {
        // The X server went away: from now on the service is empty.
        x_->notifier.reset();
        if (frontmost_) {
            frontmost_.reset();
            frontmostApplicationChanged(frontmost_);
        }
        return;
    }
    const bool readSynchronously = clientsDirty || spaceChanged || frontmostDirty;
    if (clientsDirty)
        watchClients();
    if (spaceChanged) {
        const uint32_t desktop = x_->single(x_->root, x_->currentDesktop, 0);
        spaceChanged = desktop != x_->desktop;
        x_->desktop = desktop;
    }
    std::optional<QString> front = frontmost_;
    if (frontmostDirty)
        front = readFrontmost();
    xcb_flush(x_->c);
    // The reads above may have queued more events while they waited for their replies.
    if (readSynchronously)
        scheduleRead();

    if (spaceChanged)
        activeSpaceChanged();
    if (windowsChanged)
        this->windowsChanged();
    if (front != frontmost_) {
        frontmost_ = front;
        frontmostApplicationChanged(frontmost_);
    }
}

}  // namespace vesk
