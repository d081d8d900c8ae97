#pragma once

#include "Platform/Workspace.h"

#include <memory>

namespace vesk {

// Workspaces, full screen and the frontmost application from an EWMH window manager on X11, on a
// connection of its own to $DISPLAY. It watches the root window's _NET_CURRENT_DESKTOP,
// _NET_ACTIVE_WINDOW and _NET_CLIENT_LIST and every client's state, workspace, geometry and
// application id; the events of one read of the connection are reported together, each signal at
// most once. With no X display (or once the connection breaks) it is empty and silent.
class EwmhWorkspace final : public Workspace {
public:
    EwmhWorkspace();
    ~EwmhWorkspace() override;

    bool isFullscreen(const QRectF &displayPixels) const override;
    std::optional<QString> frontmostApplication() const override { return frontmost_; }

private:
    struct X;
    void readEvents();
    void scheduleRead() const;
    void watchClients();
    std::optional<QString> readFrontmost() const;

    std::unique_ptr<X> x_;
    std::optional<QString> frontmost_;
    mutable bool readScheduled_ = false;
};

}  // namespace vesk
