#pragma once

#include "Platform/Screens.h"
#include "Platform/Workspace.h"

#include <cstdint>

namespace vesk {

// Questions about workspaces (Spaces) that the island asks by display number.
namespace Spaces {

// Whether the display's current workspace is full screen (Workspace::isFullscreen on the display's
// pixel rectangle). A display number that no present display has is answered for the primary
// display; with no display at all, or no window system, the answer is false.
bool isFullscreen(uint32_t display, Screens &screens = vesk::screens(), Workspace &workspace = vesk::workspace());

}  // namespace Spaces

}  // namespace vesk
