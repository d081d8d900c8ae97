#pragma once

class QWidget;

namespace vesk {

// Asks the window manager to move a top-level window to the workspace shown now (EWMH
// _NET_WM_DESKTOP). Does nothing off X11 or without a window manager that keeps workspaces.
void moveToCurrentWorkspace(QWidget *window);

}  // namespace vesk
