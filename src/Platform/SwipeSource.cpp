#include "Platform/SwipeSource.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/XInput2Swipes.h"

namespace vesk {

namespace {
InstalledService<SwipeSource, XInput2Swipes> installed;
}

SwipeSource &swipeSource() { return installed.get(); }

void setSwipeSource(SwipeSource *source) { installed.install(source); }

}  // namespace vesk
