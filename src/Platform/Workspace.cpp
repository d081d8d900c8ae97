#include "Platform/Workspace.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/EwmhWorkspace.h"

namespace vesk {

namespace {
InstalledService<Workspace, EwmhWorkspace> installed;
}

Workspace &workspace() { return installed.get(); }

void setWorkspace(Workspace *service) { installed.install(service); }

}  // namespace vesk
