#include "Model/NotchViewModel.h"

#include "Base/Overloaded.h"
#include "Model/Defaults.h"
#include "Extensions/ExtensionStore.h"
#include "Model/SpaceSwipeDetector.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/VolumeService.h"
#include "Platform/AudioDevices.h"
#include "Platform/Haptics.h"
#include "Platform/Screens.h"
#include "Platform/Sound.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"
#include "Readouts/CalendarService.h"
#include "Readouts/CountdownTimer.h"
#include "Updater/Updater.h"

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {
constexpr double settleDelay = 0.9;
constexpr double calendarRefreshInterval = 15.0;
constexpr double sizePreviewLinger = 0.8;
}  // namespace

NotchViewModel::Services NotchViewModel::Services::installed()
{
    AudioDevices &audio = vesk::audioDevices();
    return {std::make_shared<NowPlayingService>(settings::audioSource),
            std::make_shared<CalendarService>(),
            std::make_shared<VolumeService>(audio),
            std::make_shared<CountdownTimer>(),
            &vesk::screens(),
            &vesk::workspace(),
            &audio,
            &SpaceSwipeDetector::shared(),
            &Haptics::shared(),
            &Sound::shared(),
            &ExtensionStore::shared(),
            &Updater::shared()};
}

std::shared_ptr<NotchViewModel> NotchViewModel::makePrimary(Services services)
{
    auto model = std::make_shared<NotchViewModel>(Token{}, std::move(services), true);
    std::weak_ptr<NotchViewModel> weak = model;
    model->services_.countdown->onFinish = [weak] {
        if (auto self = weak.lock())
            self->timerFinished();
    };
    model->services_.countdown->onRunningChange = [weak] {
        if (auto self = weak.lock())
            self->refreshOngoing();
    };
    model->services_.nowPlaying->onNewTrack = [weak] {
        if (auto self = weak.lock())
            self->previewTrack();
    };
    model->scheduleCalendarRefresh();

    auto &swipes = *model->services_.swipes;
    swipes.onBegin = [weak] {
        if (auto self = weak.lock())
            self->spaceSwipeBegan();
    };
    swipes.onEnd = [weak] {
        if (auto self = weak.lock())
            self->spaceSwipeEnded();
    };
    swipes.start();

    model->refreshOutputs();
    AudioOutput::observe(*model->services_.audioDevices, [weak] {
        if (auto self = weak.lock())
            self->refreshOutputs();
    });
    return model;
}

std::shared_ptr<NotchViewModel> NotchViewModel::makeMirror(NotchViewModel &primary)
{
    Q_ASSERT(primary.isPrimary_);
    auto model = std::make_shared<NotchViewModel>(Token{}, primary.services_, false);
    model->volumeLevel = primary.volumeLevel.peek();
    model->isMuted = primary.isMuted.peek();
    model->outputs = primary.outputs.peek();
    model->currentOutputID = primary.currentOutputID.peek();
    model->downloadFraction_ = primary.downloadFraction_.peek();
    model->hasReadOutputs = true;
    model->refreshOngoing();
    primary.mirrors_.push_back(model);
    return model;
}

NotchViewModel::NotchViewModel(Token, Services services, bool isPrimary)
    : today(appClock().wallNow()), isPrimary_(isPrimary), services_(std::move(services))
{
    // Every model registers the table, so the first reads see the defaults however early it is made.
    Defaults::registerTable();
    // The updater reads, when it acts, the two settings of the table that concern it.
    services_.updater->useSettings({settings::automaticUpdates, settings::installUpdatesAutomatically});
    readDefaults();
    defaultsObserver_ = UserDefaults::standard().changed.connect([this] { readDefaults(); });
    observeWorkspace();
    // An extension that stops takes its page with it.
    extensionsObserver_ = services_.extensions->running().observe([this] { clampPage(); });
    if (const auto all = services_.screens->screens(); !all.empty())
        notchDisplay = all.front().displayNumber;
    settleTask_ = mainQueue().after(settleDelay, [this] { hasSettled = true; });
}

NotchViewModel::~NotchViewModel() = default;

void NotchViewModel::scheduleCalendarRefresh()
{
    calendarTimer_ = mainQueue().after(calendarRefreshInterval, [this] {
        services_.calendar->refresh();
        refreshOngoing();
        scheduleCalendarRefresh();
    });
}

void NotchViewModel::readDefaults()
{
    const auto &defaults = UserDefaults::standard();
    openOnHover = defaults.value(settings::openOnHover);
    showLiveActivity = defaults.value(settings::showLiveActivity);
    showTrackPreview = defaults.value(settings::showTrackPreview);
    showCalendar = defaults.value(settings::showCalendar);
    hapticFeedback = defaults.value(settings::hapticFeedback);

    const Size adjustment{defaults.value(settings::notchWidthAdjustment), defaults.value(settings::notchHeightAdjustment)};
    const Size cached = notchSizeAdjustment.peek();
    if (adjustment != cached) {
        if (hasReadDefaults_) {
            previewSizeAdjustment(cached.width == adjustment.width ? SizeAdjustment::height(adjustment.height)
                                                                   : SizeAdjustment::width(adjustment.width));
        }
        notchSizeAdjustment = adjustment;
    }
    hasReadDefaults_ = true;

    hoverSwell = defaults.value(settings::hoverSwell);
    hideInSourceApp = defaults.value(settings::hideInSourceApp);
    compactInFullscreen = defaults.value(settings::compactInFullscreen);
    showOutputButton = defaults.value(settings::showOutputButton);
    fadesToGlassSetting = defaults.value(settings::fadeToGlass);
    showsRim = defaults.value(settings::notchShimmer);
    showTimerPage = defaults.value(settings::showTimerPage);
    showPageDots = defaults.value(settings::showPageDots);
    showLiveArtwork = defaults.value(settings::showLiveArtwork);
    showVisualizer = defaults.value(settings::showVisualizer);

    clampPage();
}

void NotchViewModel::removeMirror(const NotchViewModel &mirror)
{
    auto matches = [&](const std::shared_ptr<NotchViewModel> &m) { return m.get() == &mirror; };
    auto it = std::find_if(mirrors_.begin(), mirrors_.end(), matches);
    if (it == mirrors_.end())
        return;
    auto keep = *it;  // alive until torn down, even if the list held the last reference
    std::erase_if(mirrors_, matches);
    keep->tearDown();
}

void NotchViewModel::tearDown()
{
    defaultsObserver_.reset();
    workspaceObservers_.clear();
    extensionsObserver_.reset();
    pendingStyle_.reset();
    settleTask_.cancel();
    calendarTimer_.cancel();
    sizePreviewTask_.cancel();
    hoverTask_.cancel();
    peekTask_.cancel();
    previewTask_.cancel();
    eventPreviewTask_.cancel();
    spaceSwitchTask_.cancel();
    showOffTask_.cancel();
    openRefreshTask_.cancel();
    volumeReadTask_.cancel();
    styleChangeTasks_.clear();
}

void NotchViewModel::haptic(HapticPattern pattern)
{
    if (hapticFeedback.peek())
        services_.haptics->perform(pattern, this);
}

// ---- Fields with rules ----

void NotchViewModel::setOnboardingPage(std::optional<int> page)
{
    if (page)
        page = std::clamp(*page, 0, onboardingPageCount - 1);
    onboardingPage_ = page;
}

void NotchViewModel::setDownloadFraction(std::optional<std::optional<double>> fraction)
{
    if (fraction && *fraction) {
        const double value = **fraction;
        if (!std::isfinite(value))
            *fraction = std::optional<double>{};
        else
            *fraction = std::clamp(value, 0.0, 1.0);
    }
    downloadFraction_ = fraction;
}

void NotchViewModel::setSkipDrag(double offset)
{
    if (offset != 0)
        skipsForward_ = offset > 0;
    skipDrag_ = offset;
}

// ---- The state decision ----

NotchState NotchViewModel::state() const
{
    if (onboardingPage_.get())
        return NotchState::onboarding;
    if (services_.updater->wantsIsland().get())
        return NotchState::update;
    if (isOpen.get())
        return NotchState::open;
    if (const auto &forced = stateOverride.get())
        return *forced;
    if (sizeAdjustmentPreview.get() || isSwitchingSpace.get() || !hasSettled.get() || isMorphing.get())
        return NotchState::closed;
    if (peek.get())
        return NotchState::peek;
    if (isPreviewingTrack.get() && allowsNowPlaying() && services_.nowPlaying->track.get())
        return NotchState::trackPreview;
    const auto &activity = ongoing.get();
    if (isPreviewingEvent.get() && activity && activity->kind() == Peek::Kind::event)
        return NotchState::eventPreview;
    if (isActivityDismissed.get())
        return NotchState::closed;
    // In pill style a live track keeps the island and the activity goes to the bubble beside it.
    if (activity && !(style.get() == IslandStyle::pill && isNowPlayingLive()))
        return NotchState::peek;
    if (isNowPlayingLive())
        return NotchState::live;
    return NotchState::closed;
}

bool NotchViewModel::allowsNowPlaying() const
{
    if (compactInFullscreen.get() && isFullscreenSpace.get())
        return false;
    if (!hideInSourceApp.get())
        return true;
    const auto &track = services_.nowPlaying->track.get();
    const auto &frontmost = frontmostBundleID.get();
    if (!track || !track->bundleID || !frontmost)
        return true;
    // A player's desktop entry and its window's class may differ in case ("Spotify", "spotify").
    return QString::fromStdString(*track->bundleID).toLower() != QString::fromStdString(*frontmost).toLower();
}

bool NotchViewModel::isNowPlayingLive() const
{
    const auto &track = services_.nowPlaying->track.get();
    return allowsNowPlaying() && showLiveActivity.get() && track && track->isPlaying;
}

// ---- Tour and diagnostics ----

void NotchViewModel::startOnboarding(int page)
{
    isOpen = false;
    haptic(HapticPattern::generic);
    setOnboardingPage(page);
}

void NotchViewModel::finishOnboarding()
{
    if (!onboardingPage_.peek())
        return;
    onboardingPage_ = std::nullopt;
    haptic(HapticPattern::levelChange);
    if (onOnboardingFinished)
        onOnboardingFinished();
}

void NotchViewModel::debugSetOngoing(const Peek &value)
{
    ongoing = value;
    lastPeek = value;
    if (const auto *event = value.as<Peek::Event>(); event && Peek::isLongTitle(event->title))
        previewEvent();
}

// ---- Pages ----

std::vector<IslandPage> NotchViewModel::pages() const
{
    std::vector<IslandPage> list;
    for (IslandPage page : IslandPage::builtIns()) {
        const bool shown = page.visit(Overloaded{
            [](IslandPage::Media) { return true; },
            [this](IslandPage::Calendar) { return showCalendar.get(); },
            [this](IslandPage::Timer) { return showTimerPage.get(); },
            [](const IslandPage::Ext &) { return true; },
        });
        if (shown)
            list.push_back(std::move(page));
    }
    for (auto &id : services_.extensions->pageIDs())
        list.push_back(IslandPage::ext(std::move(id)));
    return list;
}

int NotchViewModel::page() const
{
    const int count = static_cast<int>(pages().size());
    return std::clamp(page_.get(), 0, count - 1);
}

void NotchViewModel::setPage(int index)
{
    const int count = static_cast<int>(pages().size());
    page_ = std::clamp(index, 0, count - 1);
}

void NotchViewModel::clampPage()
{
    const int count = static_cast<int>(pages().size());
    if (page_.peek() >= count)
        page_ = count - 1;
}

// ---- Size adjustment ----

void NotchViewModel::previewSizeAdjustment(const SizeAdjustment &adjustment)
{
    if (style.peek() != IslandStyle::notch)
        return;
    sizeAdjustmentPreview = adjustment;
    sizePreviewTask_.cancel();
    if (!isHoldingSizeSlider)
        sizePreviewTask_ = mainQueue().after(sizePreviewLinger, [this] { sizeAdjustmentPreview = std::nullopt; });
}

void NotchViewModel::setAdjustingSize(bool holding, bool width)
{
    isHoldingSizeSlider = holding;
    if (holding) {
        const Size adjustment = notchSizeAdjustment.peek();
        previewSizeAdjustment(width ? SizeAdjustment::width(adjustment.width) : SizeAdjustment::height(adjustment.height));
    } else if (const auto shown = sizeAdjustmentPreview.peek()) {
        previewSizeAdjustment(*shown);
    }
}

const char *name(NotchViewModel::LockIndicator indicator)
{
    switch (indicator) {
    case NotchViewModel::LockIndicator::hidden:
        return "hidden";
    case NotchViewModel::LockIndicator::locked:
        return "locked";
    case NotchViewModel::LockIndicator::unlocking:
        return "unlocking";
    }
    return "hidden";
}

}  // namespace vesk
