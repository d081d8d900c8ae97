#pragma once

#include "Base/Lifetime.h"
#include "Platform/Workspace.h"

#include <memory>
#include <vector>

namespace vesk {

// Workspaces that tests and tools drive. State changes show at once; notifications arrive on a
// later main-queue turn, as from the real service.
class SimWorkspace final : public Workspace {
public:
    bool isFullscreen(const QRectF &displayPixels) const override;
    std::optional<QString> frontmostApplication() const override { return frontmost_; }

    // Shows another workspace.
    void switchSpace();
    // Marks the display (by its pixel rectangle) as showing a full-screen window or not; reported
    // as a window change, not as a workspace switch.
    void setFullscreen(const QRectF &displayPixels, bool fullscreen);
    // Brings an application to the front (stored lower-cased), or none.
    void setFrontmost(std::optional<QString> applicationID);

private:

    std::vector<QRectF> fullscreen_;
    std::optional<QString> frontmost_;
    Lifetime lifetime_;
};

}  // namespace vesk
