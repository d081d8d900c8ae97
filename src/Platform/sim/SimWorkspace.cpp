#include "Platform/sim/SimWorkspace.h"

#include "Base/MainQueue.h"

#include <algorithm>

namespace vesk {

bool SimWorkspace::isFullscreen(const QRectF &displayPixels) const
{
    return std::find(fullscreen_.begin(), fullscreen_.end(), displayPixels) != fullscreen_.end();
}

void SimWorkspace::switchSpace()
{
    lifetime_.post([this] { activeSpaceChanged(); });
}

void SimWorkspace::setFullscreen(const QRectF &displayPixels, bool fullscreen)
{
    if (isFullscreen(displayPixels) == fullscreen)
        return;
    if (fullscreen)
        fullscreen_.push_back(displayPixels);
    else
        fullscreen_.erase(std::find(fullscreen_.begin(), fullscreen_.end(), displayPixels));
    lifetime_.post([this] { windowsChanged(); });
}

void SimWorkspace::setFrontmost(std::optional<QString> applicationID)
{
    if (applicationID)
        applicationID = applicationID->toLower();
    if (applicationID == frontmost_)
        return;
    frontmost_ = applicationID;
    lifetime_.post([this, applicationID] {
        windowsChanged();
        frontmostApplicationChanged(applicationID);
    });
}

}  // namespace vesk
