// Readouts, the ongoing activity and the previews of the island model.
#include "Model/NotchViewModel.h"

#include "Extensions/ExtensionStore.h"
#include "NowPlaying/NowPlayingService.h"
#include "Platform/Sound.h"
#include "Model/Defaults.h"
#include "Readouts/CalendarService.h"
#include "Readouts/CountdownTimer.h"

#include <QDateTime>

#include <cmath>

namespace vesk {

namespace {

constexpr double timerDoneDuration = 4.0;
// The event preview outlasts the track preview by this much.
constexpr double eventPreviewExtra = 1.5;
// An event that started less than this long ago still counts as upcoming.
constexpr double startedGrace = 60;
constexpr const char *timerDoneSound = "complete";

QDate localDay(double wallSeconds)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(wallSeconds * 1000.0)).toLocalTime().date();
}

// A duration asked for that is not a usable number of seconds ends the readout at once.
double usableDuration(double seconds)
{
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

}  // namespace

void NotchViewModel::show(const Peek &value, std::optional<double> duration, bool forward)
{
    if (forward) {
        for (auto &mirror : mirrors_)
            mirror->show(value, duration, false);
    }
    const double seconds = usableDuration(duration ? *duration : UserDefaults::standard().value(settings::hudDuration));
    const bool isLevel = value.kind() == Peek::Kind::volume || value.kind() == Peek::Kind::brightness;
    const auto &current = peek.peek();
    if (isPrimary_ && !isLevel && (!current || *current != value))
        haptic(HapticPattern::generic);
    peek = value;
    lastPeek = value;
    peekTask_ = mainQueue().after(seconds, [this] { peek = std::nullopt; });
}

void NotchViewModel::refreshOngoing()
{
    for (auto &mirror : mirrors_)
        mirror->refreshOngoing();

    const double now = appClock().wallNow();
    if (localDay(today.peek()) != localDay(now))
        today = now;

    const auto &defaults = UserDefaults::standard();
    const auto extension = services_.extensions->activity();
    std::optional<Peek> next;
    if (extension && extension->isUrgent)
        next = Peek::custom(*extension);
    else if (services_.countdown->isRunning().peek() && defaults.value(settings::showTimerActivity))
        next = Peek::timer();
    else if (downloadFraction_.peek() && defaults.value(settings::showDownloadActivity))
        next = Peek::download(*downloadFraction_.peek());
    else if (auto event = defaults.value(settings::showEventActivity) ? upcomingEvent() : std::nullopt)
        next = std::move(event);
    else if (extension)
        next = Peek::custom(*extension);

    if (next && style.peek() == IslandStyle::pill)
        lastBubble = next;

    if (next != ongoing.peek()) {
        if (!next) {
            ongoing = std::nullopt;
        } else if (next->isSameActivity(ongoing.peek())) {
            ongoing = next;  // an update of the same activity leaves dismissal and previews alone
        } else {
            isActivityDismissed = false;
            ongoing = next;
            if (const auto *event = next->as<Peek::Event>(); event && Peek::isLongTitle(event->title))
                previewEvent();
        }
    }
    if (next)
        lastPeek = next;
}

std::optional<Peek> NotchViewModel::upcomingEvent() const
{
    const double lead = UserDefaults::standard().value(settings::eventLeadMinutes) * 60.0;
    const double now = appClock().wallNow();
    for (const auto &event : services_.calendar->events().peek()) {
        if (event.isAllDay)
            continue;
        const double t = event.start - now;
        if (t <= lead && t > -startedGrace)
            return Peek::event(event.title, static_cast<int>(std::max(0.0, std::ceil(t / 60.0))), event.start,
                               event.color);
    }
    return std::nullopt;
}

std::optional<Peek> NotchViewModel::peekToDraw() const
{
    if (const auto &value = peek.get())
        return value;
    if (const auto &value = ongoing.get())
        return value;
    return lastPeek.get();
}

std::optional<IslandPage> NotchViewModel::tabForVisibleActivity() const
{
    switch (state()) {
    case NotchState::live:
    case NotchState::trackPreview:
        return IslandPage::media();
    case NotchState::eventPreview:
        return IslandPage::calendar();
    case NotchState::peek: {
        const auto visible = peek.get() ? peek.get() : ongoing.get();
        if (!visible)
            return std::nullopt;
        switch (visible->kind()) {
        case Peek::Kind::timer:
        case Peek::Kind::timerDone:
            return IslandPage::timer();
        case Peek::Kind::event:
            return IslandPage::calendar();
        case Peek::Kind::custom:
            return IslandPage::ext(visible->as<Peek::Custom>()->activity.extensionID);
        default:
            return std::nullopt;
        }
    }
    default:
        return std::nullopt;
    }
}

void NotchViewModel::timerFinished()
{
    refreshOngoing();
    services_.sound->play(timerDoneSound);
    haptic(HapticPattern::levelChange);
    show(Peek::timerDone(), timerDoneDuration);
}

void NotchViewModel::previewTrack()
{
    for (auto &mirror : mirrors_)
        mirror->previewTrack();
    isActivityDismissed = false;
    if (!showTrackPreview.peek() || isOpen.peek())
        return;
    if (isPrimary_ && allowsNowPlaying() && !isSwitchingSpace.peek())
        haptic(HapticPattern::alignment);
    isPreviewingTrack = true;
    const double seconds = usableDuration(UserDefaults::standard().value(settings::trackPreviewDuration));
    previewTask_ = mainQueue().after(seconds, [this] { isPreviewingTrack = false; });
}

void NotchViewModel::endTrackPreview()
{
    previewTask_.cancel();
    isPreviewingTrack = false;
}

void NotchViewModel::previewEvent()
{
    if (isOpen.peek())
        return;
    if (isPrimary_)
        haptic(HapticPattern::alignment);
    isPreviewingEvent = true;
    const double seconds = usableDuration(UserDefaults::standard().value(settings::trackPreviewDuration)) + eventPreviewExtra;
    eventPreviewTask_ = mainQueue().after(seconds, [this] { isPreviewingEvent = false; });
}

}  // namespace vesk
