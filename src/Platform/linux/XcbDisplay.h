#pragma once

#include <xcb/xcb.h>

#include <cstdlib>

namespace vesk {

// A connection of its own to the X display and the root window of its default screen. The
// connection is null when there is no display or it cannot be opened; the caller owns it.
struct XcbDisplay {
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = 0;
};

inline XcbDisplay connectXcbDisplay()
{
    if (!std::getenv("DISPLAY"))
        return {};
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return {};
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    return {c, it.data->root};
}

}  // namespace vesk
