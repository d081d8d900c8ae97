#include "Platform/Workspace.h"

#include "Platform/linux/EwmhWorkspace.h"

namespace vesk {

namespace {
Workspace *installed = nullptr;
}

Workspace &workspace()
{
    if (installed)
        return *installed;
    static EwmhWorkspace real;
    return real;
}

void setWorkspace(Workspace *service) { installed = service; }

}  // namespace vesk
