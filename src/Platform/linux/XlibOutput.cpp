#include "Platform/linux/XlibOutput.h"

// Xlib's internal header, kept to this one file: it defines many short macros.
#include <X11/Xlibint.h>

namespace vesk {

bool hasUnsentRequests(Display *display)
{
    return display->bufptr != display->buffer;
}

}  // namespace vesk
