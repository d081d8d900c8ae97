#include "Island/IslandInput.h"

#include "Model/Motion.h"
#include "Base/Clock.h"
#include "Model/Defaults.h"

#include <QtGlobal>

#include <cmath>

namespace vesk {

namespace {
std::optional<IslandPage> pageForBubble(const Peek &bubble)
{
    switch (bubble.kind()) {
    case Peek::Kind::event:
        return IslandPage::calendar();
    case Peek::Kind::custom:
        return IslandPage::ext(bubble.as<Peek::Custom>()->activity.extensionID);
    case Peek::Kind::timer:
    case Peek::Kind::timerDone:
        return IslandPage::timer();
    default:
        return std::nullopt;
    }
}
// Whether more than `lockout` seconds separate two event timestamps. X stamps events in 32-bit
// milliseconds, which wrap after about 49.7 days: a timestamp behind the last one starts afresh
// rather than locking the wheel out until the clock catches up.
bool elapsed(double last, double now, double lockout)
{
    return now < last || now - last > lockout;
}
}  // namespace

IslandInput::IslandInput(IslandInputModel &model) : model_(model) {}

void IslandInput::setScreen(std::optional<QRectF> frame)
{
    screen_ = frame;
    const bool ignores = !screen_;
    if (ignores == ignoresMouseEvents_)
        return;
    ignoresMouseEvents_ = ignores;
    if (setIgnoresMouseEvents)
        setIgnoresMouseEvents(ignores);
}

QRectF IslandInput::islandRect() const
{
    if (!screen_)
        return {};
    const IslandInputModel::Reading r = model_.reading();
    const double w = r.size.width(), h = r.size.height();
    const double pad = r.isOpen || r.state == NotchState::onboarding ? 12 : 2;
    const double bubbleExtra = r.bubble ? r.bubbleWidth + 6 : 0;
    const double topInset = r.style == IslandStyle::pill ? r.pillTopInset : 0;
    const double dots = r.state == NotchState::open && r.showPageDots && r.pageCount >= 2 ? 24 : 0;
    // It reaches 10 points above the display's top edge (a pointer pushed against the edge is
    // over the island), grows to the right only for the bubble and downwards for the page dots.
    const double height = pad + h + topInset + 10 + dots;
    return QRectF(screen_->center().x() - w / 2 - pad, screen_->top() - 10, w + 2 * pad + bubbleExtra, height);
}

void IslandInput::haptic(HapticPattern pattern)
{
    if (performHaptic)
        performHaptic(pattern);
}

void IslandInput::cursor(Qt::CursorShape shape)
{
    if (setCursor)
        setCursor(shape);
}

void IslandInput::pointerMoved(bool clicked)
{
    const bool inside = islandRect().contains(mouseLocation());
    // A drag never changes hover.
    if (anyButtonHeld() && !clicked)
        return;
    model_.setHovering(inside);
    if (inside) {
        cursor(model_.reading().cursor);
        wasInside_ = true;
        return;
    }
    if (wasInside_)
        cursor(Qt::ArrowCursor);
    wasInside_ = false;
    if (clicked)
        model_.close(false);  // a click anywhere outside the island closes it
}

void IslandInput::pressOnPanel()
{
    pointerMoved(false);
    const IslandInputModel::Reading r = model_.reading();
    if (r.isOpen || isExpanded(r.state))
        return;
    std::optional<IslandPage> page;
    if (r.bubble && screen_ && mouseLocation().x() > screen_->center().x() + r.size.width() / 2 + 3)
        page = pageForBubble(*r.bubble);  // the click landed on the bubble
    pressStarted_ = appClock().now();
    if (!r.isPressed)
        model_.setPressed(true);
    openOnRelease_ = [this, page] { model_.open(false, page); };
}

void IslandInput::leftReleased()
{
    if (model_.reading().isPressed)
        releasePress();
}

void IslandInput::releasePress()
{
    const bool quick = pressStarted_ && appClock().now() - *pressStarted_ < longPress;
    const bool inside = islandRect().contains(mouseLocation());
    auto action = std::exchange(openOnRelease_, {});
    pressStarted_.reset();
    if (quick && inside && action) {
        // The pressed look stays until the island starts opening.
        pendingOpen_ = mainQueue().after(releaseOpenDelay, [this, action = std::move(action)] {
            if (model_.reading().isPressed)
                model_.setPressed(false);
            action();
        });
        return;
    }
    if (model_.reading().isPressed)
        model_.setPressed(false);  // a long press or a release outside cancels
}

void IslandInput::scrolled(const IslandScrollEvent &event)
{
    const double dx = event.dx, dy = event.dy;
    const bool inv = event.inverted;
    const double vy = inv ? dy : -dy;

    if (event.phase == IslandScrollEvent::Phase::none && !event.momentum) {
        if (dx == 0 && dy == 0)
            return;
        if (!elapsed(lastWheelTurn_, event.timestamp, wheelLockout))
            return;
        lastWheelTurn_ = event.timestamp;
        if (std::abs(dy) < std::abs(dx)) {
            if (model_.reading().isOpen)
                model_.turnPage(dx < 0 ? +1 : -1);
            else
                skipTrack((inv ? dx : -dx) > 0);
        } else {
            model_.scrollStep(vy > 0);
        }
        return;
    }
    if (event.momentum)
        return;

    switch (event.phase) {
    case IslandScrollEvent::Phase::began:
        scrollAxis_ = Axis::none;
        lastScrollDelta_ = verticalTravel_ = sidewaysTravel_ = 0;
        return;
    case IslandScrollEvent::Phase::changed:
        if (scrollAxis_ == Axis::none) {
            if (std::max(std::abs(dx), std::abs(dy)) > axisLockThreshold) {
                scrollAxis_ = std::abs(dy) < std::abs(dx) ? Axis::horizontal : Axis::vertical;  // a tie is vertical
            } else {
                // Too small to choose an axis: it only settles what an earlier stroke left behind.
                endGesture(/*cancelled*/ true);
                return;
            }
        }
        if (scrollAxis_ == Axis::horizontal) {
            if (model_.reading().isOpen) {
                lastScrollDelta_ = dx;
                model_.dragPages(dx);
            } else if (canSkip()) {
                sidewaysTravel_ += inv ? dx : -dx;
                const double value = qBound(-skipLimit, sidewaysTravel_ / skipDistance, skipLimit);
                const IslandInputModel::Reading r = model_.reading();
                if ((std::abs(value) >= 1) != (std::abs(r.skipDrag) >= 1) && r.hapticFeedback)
                    haptic(HapticPattern::alignment);
                model_.setSkipDrag(value, skipDragAnimation);
            }
            return;
        }
        if (elapsed(lastScrollStep_, event.timestamp, stepLockout)) {
            verticalTravel_ += vy;
            if (std::abs(verticalTravel_) > (model_.reading().isOpen ? openStepTravel : closedStepTravel)) {
                model_.scrollStep(verticalTravel_ > 0);
                verticalTravel_ = 0;
                lastScrollStep_ = event.timestamp;
            }
        } else {
            // Travel made just after a step does not count towards the next one.
            verticalTravel_ = 0;
        }
        return;
    case IslandScrollEvent::Phase::ended:
    case IslandScrollEvent::Phase::cancelled:
        endGesture(event.phase == IslandScrollEvent::Phase::cancelled);
        return;
    case IslandScrollEvent::Phase::none:
        return;
    }
}

void IslandInput::endGesture(bool cancelled)
{
    if (scrollAxis_ == Axis::horizontal && model_.reading().isOpen)
        model_.endPageDrag(cancelled ? 0 : lastScrollDelta_);
    // Whatever happened during the gesture (the island may have opened under a sideways swipe),
    // the skip offset always returns to rest, and only a finished swipe on the closed island skips.
    if (const IslandInputModel::Reading r = model_.reading(); r.skipDrag != 0) {
        const double drag = r.skipDrag;
        if (!cancelled && !r.isOpen && std::abs(drag) >= 1)
            skipTrack(drag > 0);
        model_.setSkipDrag(0, Motion::close);
    }
    scrollAxis_ = Axis::none;
}

bool IslandInput::canSkip() const
{
    return UserDefaults::standard().value(settings::swipeToSkip) && model_.reading().hasTrack;
}

void IslandInput::skipTrack(bool next)
{
    if (!canSkip())
        return;
    model_.skipTrackCommand(next);
    if (model_.reading().hapticFeedback)
        haptic(HapticPattern::levelChange);
}

void ScrollPhaseSynthesizer::feed(double timestamp, double dx, double dy, bool precise, bool inverted)
{
    // The rules read deltas the other way round from X: negative scrolls down and right.
    const double rdx = dx == 0 ? 0 : -dx;
    const double rdy = dy == 0 ? 0 : -dy;
    if (!precise) {
        deliver_({timestamp, rdx, rdy, IslandScrollEvent::Phase::none, false, inverted});
        return;
    }
    if (!inGesture_) {
        inGesture_ = true;
        inverted_ = inverted;
        deliver_({timestamp, 0, 0, IslandScrollEvent::Phase::began, false, inverted});
    }
    lastTimestamp_ = timestamp;
    deliver_({timestamp, rdx, rdy, IslandScrollEvent::Phase::changed, false, inverted_});
    idle_ = mainQueue().after(idleGap, [this] { finish(IslandScrollEvent::Phase::ended); });
}

void ScrollPhaseSynthesizer::cancel()
{
    finish(IslandScrollEvent::Phase::cancelled);
}

void ScrollPhaseSynthesizer::finish(IslandScrollEvent::Phase phase)
{
    if (!inGesture_)
        return;
    inGesture_ = false;
    idle_.cancel();
    const double at = phase == IslandScrollEvent::Phase::ended ? lastTimestamp_ + idleGap : lastTimestamp_;
    deliver_({at, 0, 0, phase, false, inverted_});
}

}  // namespace vesk
