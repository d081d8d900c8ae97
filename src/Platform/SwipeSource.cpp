#include "Platform/SwipeSource.h"

#include "Platform/linux/XInput2Swipes.h"

namespace vesk {

namespace {
SwipeSource *installed = nullptr;
}

SwipeSource &swipeSource()
{
    if (installed)
        return *installed;
    static XInput2Swipes real;
    return real;
}

void setSwipeSource(SwipeSource *source) { installed = source; }

}  // namespace vesk
