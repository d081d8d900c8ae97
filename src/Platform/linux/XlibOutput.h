#pragma once

#include <X11/Xlib.h>

namespace vesk {

// Whether Xlib holds requests it has not yet handed to the server. XFlush itself also reads the
// socket for events, a system call the event loop's idle path need not make when nothing waits.
bool hasUnsentRequests(Display *display);

}  // namespace vesk
