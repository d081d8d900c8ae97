// Workspace switches and full screen: the island is held closed while the screen slides to another
// workspace, and the now-playing activity can stay out of full-screen windows.

#include "Model/NotchViewModel.h"

#include "Model/Spaces.h"
#include "Base/Clock.h"
#include "Model/Defaults.h"
#include "Platform/Workspace.h"

namespace vesk {

namespace {
// How long the island stays hidden: while the fingers are down (unless they lift sooner), after
// they lift, and after a switch made without a swipe (a keyboard shortcut, a pager click).
constexpr double swipeHoldLimit = 6.0;
constexpr double afterSwipe = 0.8;
constexpr double afterSwitch = 0.75;
// A workspace change this soon after a swipe ended is the one the swipe made: not hidden again.
constexpr double swipeGrace = 1.5;
}  // namespace

void NotchViewModel::observeWorkspace()
{
    Workspace &ws = *services_.workspace;
    if (const auto app = ws.frontmostApplication())
        frontmostBundleID = app->toStdString();
    workspaceObservers_.push_back(ws.activeSpaceChanged.connect([this] { activeSpaceChanged(); }));
    // A window going full screen (or leaving it) switches no workspace here: only re-test.
    workspaceObservers_.push_back(ws.windowsChanged.connect([this] { refreshFullscreen(); }));
    workspaceObservers_.push_back(ws.frontmostApplicationChanged.connect([this](const std::optional<QString> &app) {
        frontmostBundleID = app ? std::optional(app->toStdString()) : std::nullopt;
    }));
}

void NotchViewModel::refreshFullscreen() { isFullscreenSpace = Spaces::isFullscreen(notchDisplay, *services_.screens, *services_.workspace); }

void NotchViewModel::hideForSpaceSwitch(double restoreAfter)
{
    close(false);
    isSwitchingSpace = true;
    spaceSwitchTask_ = mainQueue().after(restoreAfter, [this] {
        refreshFullscreen();
        isSwitchingSpace = false;
        isSwipingSpaces = false;
    });
}

void NotchViewModel::spaceSwipeBegan()
{
    for (auto &mirror : mirrors_)
        mirror->spaceSwipeBegan();
    if (!UserDefaults::standard().value(settings::shrinkOnSpaceSwitch))
        return;
    isSwipingSpaces = true;
    hideForSpaceSwitch(swipeHoldLimit);
}

void NotchViewModel::spaceSwipeEnded()
{
    for (auto &mirror : mirrors_)
        mirror->spaceSwipeEnded();
    // A swipe that outlasted the hold limit was already restored and is not hidden again.
    if (!isSwipingSpaces)
        return;
    isSwipingSpaces = false;
    lastSwipeEnd = appClock().now();
    hideForSpaceSwitch(afterSwipe);
}

void NotchViewModel::activeSpaceChanged()
{
    refreshFullscreen();
    if (UserDefaults::standard().value(settings::shrinkOnSpaceSwitch) && !isSwipingSpaces &&
        appClock().now() - lastSwipeEnd >= swipeGrace)
        hideForSpaceSwitch(afterSwitch);
}

}  // namespace vesk
