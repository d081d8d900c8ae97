// Notch measurement, style changes and the island's sizes.
#include "Model/NotchViewModel.h"

#include "Model/IslandMetrics.h"
#include "Model/Motion.h"
#include "Kit/Font.h"
#include "Kit/TextWrap.h"
#include "Kit/Transaction.h"
#include "Readouts/CountdownTimer.h"
#include "Updater/UpdateNotes.h"
#include "Updater/Updater.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

// A screen without a notch is measured as a notch this wide, as tall as its top bar.
constexpr double fallbackNotchWidth = 190;
constexpr double minimumMenuBarHeight = 24;
constexpr Size pillBelowNotch{124, 30};
constexpr double pillBelowNotchGap = 6;
constexpr double plainPillWidth = 104;
constexpr double plainPillTopInset = 3;
constexpr double showOffSeconds = 1.8;

// Staged style change: (apply, grow back) delays, instant or animated.
constexpr double instantSteps[2] = {0, 0.04};
constexpr double animatedSteps[2] = {0.3, 0.36};

constexpr double previewExtraHeight = IslandMetrics::eventCaptionHeight;
constexpr double trackPreviewExtraWidth = 20;
constexpr double eventPreviewExtraWidth = 24;
constexpr double eventPreviewTextPadding = 2 * IslandMetrics::eventCaptionPadding;
constexpr double eventPreviewMaxWidth = 460;
constexpr double onboardingWidth = IslandMetrics::onboardingDesignWidth;
constexpr double onboardingPillHeight = 252;
constexpr double onboardingNotchExtra = 236;
constexpr double updateWidth = IslandMetrics::updateDesignWidth;
constexpr double updatePillTop = 16;
constexpr double updateBaseHeight = 106;

constexpr double openMinimumWidth = 345;
constexpr double openExtraWidth = 40;
constexpr double openPillHeight = 158;
constexpr double openNotchExtraHeight = 142;
constexpr double openHeaderRow = 14.5;
constexpr double openVolumeRow = 34;
constexpr double headerBesideNotchMinimumSide = 77.5;

constexpr double rimWidth = 3;
constexpr double rimHeight = 1.5;
constexpr double swellWidth = 19;
constexpr double swellNotchHeight = 5;
constexpr double pressWidth = 10;
constexpr double pressPillHeight = 4;
constexpr double pressNotchHeight = 4;
constexpr double levelTrailingWidth = 58;
constexpr double undeterminedDownloadWidth = 14;
constexpr double notchMargin = 13;
// The widest a closed island grows for a readout: its panel less room for the shadow each side.
constexpr double readoutIslandMaxWidth = IslandMetrics::panelWidth - 2 * 60;

}  // namespace

// ---- Measurement ----

void NotchViewModel::measure(const Screen &screen)
{
    const double menuBar = std::max(minimumMenuBarHeight, screen.topBarHeight());
    const double top = screen.safeAreaTop;
    const Size notch = screen.hasNotch() ? Size{screen.frame.width() - screen.auxiliaryTopLeftArea->width() -
                                           screen.auxiliaryTopRightArea->width(),
                                       top}
                                : Size{fallbackNotchWidth, menuBar};
    physicalNotchSize = notch;

    if (style.peek() == IslandStyle::pill) {
        isBelowNotch = top > 0;
        if (top > 0) {
            pillTopInset = top + pillBelowNotchGap;
            measuredNotchSize = pillBelowNotch;
        } else {
            pillTopInset = plainPillTopInset;
            measuredNotchSize = Size{plainPillWidth, std::max(18.0, menuBar - 6)};
        }
    } else {
        isBelowNotch = false;
        measuredNotchSize = notch;
    }
    if (screen.displayNumber != 0)
        notchDisplay = screen.displayNumber;
    refreshFullscreen();
}

void NotchViewModel::updateNotch(const Screen &screen, IslandStyle newStyle, bool staged)
{
    if (staged && pendingStyle_) {
        if (newStyle == *pendingStyle_) {
            // Already on its way there: the pending first step measures, or has applied it.
            if (style.peek() == newStyle)
                measure(screen);
            return;
        }
        // The controller changed its mind: drop the pending steps so they cannot leave the
        // superseded style applied behind its back.
        styleChangeTasks_.clear();
        pendingStyle_.reset();
        if (newStyle == style.peek()) {
            kit::withAnimation(Motion::open, [&] { isMorphing = false; });
            showOff(showOffSeconds);
            measure(screen);
            return;
        }
        // The superseded style was applied already; change back the usual way.
    }
    if (staged && newStyle != style.peek()) {
        stageStyleChange(screen, newStyle);
        return;
    }
    if (newStyle != style.peek()) {
        style = newStyle;
        if (newStyle == IslandStyle::pill && ongoing.peek())
            lastBubble = ongoing.peek();
        showOff(showOffSeconds);
    }
    measure(screen);
}

void NotchViewModel::stageStyleChange(const Screen &screen, IslandStyle newStyle)
{
    styleChangeTasks_.clear();
    showOffTask_.cancel();
    isShowingOff = true;
    const bool instant = state() == NotchState::closed && !isHovering.peek() &&
                         (newStyle == IslandStyle::notch || isTuckedAway());
    if (instant)
        kit::withoutAnimation([&] { isMorphing = true; });
    else
        kit::withAnimation(Motion::close, [&] { isMorphing = true; });
    const double *delays = instant ? instantSteps : animatedSteps;
    pendingStyle_ = newStyle;
    styleChangeTasks_.push_back(mainQueue().after(delays[0], [this, screen, newStyle] {
        kit::withoutAnimation([&] { updateNotch(screen, newStyle, false); });
    }));
    styleChangeTasks_.push_back(mainQueue().after(delays[1], [this] {
        pendingStyle_.reset();
        kit::withAnimation(Motion::open, [&] { isMorphing = false; });
        showOff(showOffSeconds);
    }));
}

Size NotchViewModel::notchSize() const
{
    const Size measured = measuredNotchSize.get();
    if (style.get() != IslandStyle::notch)
        return measured;
    const Size adjustment = notchSizeAdjustment.get();
    return {measured.width + std::max(0.0, adjustment.width), measured.height + std::max(0.0, adjustment.height) + 1};
}

void NotchViewModel::showOff(double seconds)
{
    showOffTask_.cancel();
    isShowingOff = true;
    showOffTask_ = mainQueue().after(seconds, [this] { isShowingOff = false; });
}

// ---- Sizes ----

Size NotchViewModel::size() const
{
    const Size notch = notchSize();
    const double w0 = notch.width, h0 = notch.height;
    const bool pill = style.get() == IslandStyle::pill;
    const NotchState current = state();
    Size result;
    switch (current) {
    case NotchState::closed:
        result = notch;
        break;
    case NotchState::live:
    case NotchState::peek:
        result = {w0 + 2 * sideWidth(), h0};
        break;
    case NotchState::trackPreview:
        result = {w0 + 2 * (h0 + k()) + trackPreviewExtraWidth, h0 + previewExtraHeight};
        break;
    case NotchState::eventPreview:
        result = {eventPreviewWidth(), h0 + previewExtraHeight};
        break;
    case NotchState::open:
        return openSize();
    case NotchState::onboarding:
        return onboardingSize();
    case NotchState::update:
        return {updateWidth, (pill ? updatePillTop : h0) + updatePageHeight()};
    }
    if (current != NotchState::closed && showsRim.get() && pill) {
        result.width += rimWidth;
        result.height += rimHeight;
    }
    if (isSwollen())
        result.width += swellWidth;
    if (isPressed.get() && !isOpen.get()) {
        result.width -= pressWidth;
        if (pill)
            result.height -= pressPillHeight;
    }
    result.height += swellHeight();
    return result;
}

Size NotchViewModel::onboardingSize() const
{
    const bool pill = style.get() == IslandStyle::pill;
    return {onboardingWidth, pill ? onboardingPillHeight : notchSize().height + onboardingNotchExtra};
}

Size NotchViewModel::openSize() const
{
    const Size notch = notchSize();
    const bool pill = style.get() == IslandStyle::pill;
    const double width = std::max(openMinimumWidth, notch.width + 2 * (notch.height + k()) + openExtraWidth);
    double height = pill ? openPillHeight : notch.height + openNotchExtraHeight;
    if (!mediaHeaderBesideNotch())
        height += openHeaderRow;
    if (showsVolume.get() && showOutputButton.get() && page() == 0)
        height += openVolumeRow;
    return {width, height};
}

bool NotchViewModel::mediaHeaderBesideNotch() const
{
    if (style.get() == IslandStyle::pill)
        return false;
    const Size notch = notchSize();
    const double open = std::max(openMinimumWidth, notch.width + 2 * (notch.height + 4) + openExtraWidth);
    return (open - notch.width) / 2 >= headerBesideNotchMinimumSide;
}

double NotchViewModel::eventPreviewWidth() const
{
    const Size notch = notchSize();
    const double base = notch.width + 2 * (notch.height + k()) + eventPreviewExtraWidth;
    const auto &activity = ongoing.get();
    const auto *event = activity ? activity->as<Peek::Event>() : nullptr;
    if (!event)
        return base;
    const double t = EventCaption::of(*event).textWidth();
    return std::min(std::max(base, t + eventPreviewTextPadding), std::max(base, eventPreviewMaxWidth));
}

double NotchViewModel::sideWidth() const
{
    const NotchState current = state();
    const Size notch = notchSize();
    const double h0 = notch.height;
    const bool pill = style.get() == IslandStyle::pill;
    if (current == NotchState::live)
        return (!showLiveArtwork.get() && !showVisualizer.get()) ? 0 : h0 + k();
    if (current != NotchState::peek)
        return 0;
    const auto shown = peek.get() ? peek.get() : ongoing.get();
    if (!shown)
        return 0;
    const auto &measured = measuredTrailing.get();
    const double t = measured && measured->peek == *shown ? measured->width : trailingWidth(*shown);
    return std::max(h0, std::min(t, readoutTextMaxWidth()) + readoutMargin()) + (pill ? 3 : 0);
}

double NotchViewModel::readoutMargin() const
{
    return style.get() == IslandStyle::pill ? 2 * std::max(3.0, std::round(notchSize().height * 0.2)) : notchMargin;
}

double NotchViewModel::readoutTextMaxWidth(bool compact) const
{
    const bool pill = style.get() == IslandStyle::pill;
    const double side = (readoutIslandMaxWidth - notchSize().width - swellWidth - (pill ? rimWidth : 0)) / 2 - (pill ? 3 : 0);
    const double full = std::max(0.0, std::floor(side - readoutMargin()));
    // The bubble sits beside the capsule's end, so it has half that room.
    return compact ? std::floor(full / 2) : full;
}

double NotchViewModel::trailingWidth(const Peek &value) const
{
    switch (value.kind()) {
    case Peek::Kind::volume:
    case Peek::Kind::brightness:
        return levelTrailingWidth;
    case Peek::Kind::timer:
        return textWidth(QString::fromStdString(services_.countdown->text(appClock().wallNow())));
    case Peek::Kind::download:
        if (!value.as<Peek::Download>()->fraction)
            return undeterminedDownloadWidth;
        break;
    default:
        break;
    }
    const auto text = value.text();
    return text ? textWidth(*text) : 0;
}

void NotchViewModel::setTrailingWidth(double width, const Peek &value)
{
    measuredTrailing = MeasuredTrailing{value, width};
}

const kit::Font &NotchViewModel::readoutFont()
{
    static const kit::Font font = kit::Font::system(13, kit::Weight::semibold).monospacedDigits();
    return font;
}

double NotchViewModel::textWidth(const QString &text)
{
    return kit::textWidth(text, readoutFont());
}

bool NotchViewModel::isSwollen() const
{
    return isHovering.get() && hoverSwell.get() && !isSwitchingSpace.get();
}

double NotchViewModel::swellHeight() const
{
    if (style.get() == IslandStyle::pill)
        return 0;
    return (isSwollen() ? swellNotchHeight : 0) - (isPressed.get() && !isOpen.get() ? pressNotchHeight : 0);
}

double NotchViewModel::swellScale() const
{
    if (style.get() == IslandStyle::notch) {
        const double h0 = notchSize().height;
        return (h0 + swellHeight()) / h0;
    }
    if (!isSwollen())
        return 1.0;
    return isPressed.get() && !isOpen.get() ? 1.02 : 1.08;
}

bool NotchViewModel::isTuckedAway() const
{
    if (isMorphing.get())
        return style.get() == IslandStyle::pill;
    return isBelowNotch.get() && state() == NotchState::closed && !isHovering.get() && !isShowingOff.get();
}

std::optional<Peek> NotchViewModel::bubble() const
{
    if (style.get() != IslandStyle::pill)
        return std::nullopt;
    if (peek.get() || isActivityDismissed.get() || isSwitchingSpace.get() || isOpen.get() ||
        state() == NotchState::eventPreview)
        return std::nullopt;
    const auto &activity = ongoing.get();
    if (activity && isNowPlayingLive())
        return activity;
    return std::nullopt;
}

double NotchViewModel::updatePageHeight() const
{
    const auto &updater = *services_.updater;
    const auto &record = updater.whatsNew().get();
    const auto &notes = record ? record->notes : updater.notes().get();
    const QString text = updateNotesParagraph(notes);
    if (text.isEmpty())
        return updateBaseHeight;
    // Measured as the page's multi-line text draws the notes.
    return updateBaseHeight + updateNotesGap +
           kit::measureText(text, updateNotesFont(), updateNotesWidth, updateNotesMaxLines).height();
}

}  // namespace vesk
