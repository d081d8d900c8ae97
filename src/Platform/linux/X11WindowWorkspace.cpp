#include "Platform/WindowWorkspace.h"

#include "Platform/linux/XcbDisplay.h"

#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <cstring>

namespace vesk {

namespace {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_atom_t result = XCB_ATOM_NONE;
    if (auto *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr)) {
        result = r->atom;
        std::free(r);
    }
    return result;
}

}  // namespace

void moveToCurrentWorkspace(QWidget *window)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    static const XcbDisplay display = connectXcbDisplay();
    xcb_connection_t *c = display.connection;
    if (!c)
        return;
    static const xcb_atom_t current = atom(c, "_NET_CURRENT_DESKTOP");
    static const xcb_atom_t desktop = atom(c, "_NET_WM_DESKTOP");
    if (current == XCB_ATOM_NONE || desktop == XCB_ATOM_NONE)
        return;
    auto *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, display.root, current, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    if (!reply)
        return;
    uint32_t shown = 0;
    const bool known = xcb_get_property_value_length(reply) >= 4;
    if (known)
        std::memcpy(&shown, xcb_get_property_value(reply), 4);
    std::free(reply);
    if (!known)
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = desktop;
    event.data.data32[0] = shown;
    event.data.data32[1] = 1;  // a normal application asks
    xcb_send_event(c, 0, display.root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

}  // namespace vesk
