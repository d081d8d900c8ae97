#include "Model/Spaces.h"

#include "Platform/Screens.h"
#include "Platform/Workspace.h"

namespace vesk::Spaces {

bool isFullscreen(uint32_t display, Screens &screens, Workspace &workspace)
{
    const auto all = screens.screens();
    if (all.empty())
        return false;
    const Screen *chosen = &all.front();
    for (auto &s : all) {
        if (s.displayNumber == display) {
            chosen = &s;
            break;
        }
    }
    return workspace.isFullscreen(chosen->pixelFrame);
}

}  // namespace vesk::Spaces
