// Hover, open, close and page navigation of the island model.
#include "Model/NotchViewModel.h"

#include "Model/Motion.h"
#include "Kit/Transaction.h"
#include "Model/Defaults.h"
#include "Readouts/CalendarService.h"

#include <algorithm>

namespace vesk {

namespace {
constexpr double hoverOpenDelay = 0.12;
constexpr double openCalendarRefreshDelay = 0.5;
// Beyond the first and last page a drag moves the content this fraction of the finger's distance.
constexpr double rubberBand = 0.25;
// A drag past this fraction of the open width, or a flick faster than the velocity, turns the page.
constexpr double turnFraction = 0.4;
constexpr double flickVelocity = 14;
}  // namespace

void NotchViewModel::schedule(double seconds, std::function<void()> work)
{
    hoverTask_ = mainQueue().after(seconds, std::move(work));
}

void NotchViewModel::setHovering(bool inside)
{
    if (inside == isHovering.peek())
        return;
    if (!inside && isPinnedHovering.peek())
        return;
    isHovering = inside;
    hoverTask_.cancel();
    if (inside) {
        if (isOpen.peek())
            return;
        if (UserDefaults::standard().value(settings::hapticOnHover))
            haptic(HapticPattern::alignment);
        if (!openOnHover.peek())
            return;
        schedule(hoverOpenDelay, [this] { open(true); });
    } else {
        const double delay = std::max(0.0, UserDefaults::standard().value(settings::closeDelay));
        schedule(delay, [this] {
            if (!isInteracting.peek())
                close(true);
        });
    }
}

void NotchViewModel::open(bool feedback, std::optional<IslandPage> showing)
{
    if (isOpen.peek())
        return;
    if (feedback)
        haptic(HapticPattern::generic);
    if (const auto target = showing ? showing : tabForVisibleActivity()) {
        const auto list = pages();
        if (auto it = std::find(list.begin(), list.end(), *target); it != list.end())
            page_ = static_cast<int>(it - list.begin());
    }
    openRefreshTask_ = mainQueue().after(openCalendarRefreshDelay, [this] { services_.calendar->refresh(); });
    pageDrag = 0.0;
    endTrackPreview();
    isPreviewingEvent = false;
    isActivityDismissed = false;
    isOpen = true;
}

void NotchViewModel::close(bool feedback)
{
    if (isPinnedOpen.peek() || onboardingPage_.peek())
        return;
    if (feedback && isOpen.peek())
        haptic(HapticPattern::alignment);
    hoveredControls = 0;
    isInteracting = false;
    hoverTask_.cancel();
    isOpen = false;
}

void NotchViewModel::turnPage(int delta)
{
    const int count = static_cast<int>(pages().size());
    const int current = page();
    const int target = std::clamp(current + delta, 0, count - 1);
    if (target != current && UserDefaults::standard().value(settings::hapticOnPageTurn))
        haptic(HapticPattern::levelChange);
    kit::withAnimation(Motion::page, [&] {
        page_ = target;
        pageDrag = 0.0;
    });
}

void NotchViewModel::dragPages(double dx)
{
    const double proposed = pageDrag.peek() + dx;
    const int last = static_cast<int>(pages().size()) - 1;
    const int current = page();
    if ((current == 0 && proposed > 0) || (current == last && proposed < 0))
        dx *= rubberBand;
    pageDrag = pageDrag.peek() + dx;
}

void NotchViewModel::endPageDrag(double velocity)
{
    const double width = openSize().width;
    const double drag = pageDrag.peek();
    const bool next = drag < -turnFraction * width || velocity < -flickVelocity;
    const bool previous = velocity > flickVelocity || drag > turnFraction * width;
    turnPage(previous ? -1 : next ? 1 : 0);
}

void NotchViewModel::scrollStep(bool down)
{
    const bool scrollToOpen = UserDefaults::standard().value(settings::scrollToOpen);
    if (isOpen.peek()) {
        if (down)
            turnPage(1);
        else if (page() == 0) {
            if (scrollToOpen)
                close(true);
        } else {
            turnPage(-1);
        }
        return;
    }
    if (down) {
        if (isActivityDismissed.peek()) {
            isActivityDismissed = false;
            haptic(HapticPattern::alignment);
        } else if (scrollToOpen) {
            open(true);
        }
        return;
    }
    // Only what lasts can be dismissed: the live track or the ongoing activity, never a readout.
    const NotchState current = state();
    if (current == NotchState::live || (current == NotchState::peek && !peek.peek())) {
        isActivityDismissed = true;
        haptic(HapticPattern::alignment);
    }
}

void NotchViewModel::endInteraction()
{
    isInteracting = false;
    if (!isHovering.peek())
        close(false);
}

NotchViewModel::Cursor NotchViewModel::cursor() const
{
    if (isExpanded(state()))
        return hoveredControls >= 1 ? Cursor::pointingHand : Cursor::arrow;
    return Cursor::pointingHand;
}

}  // namespace vesk
