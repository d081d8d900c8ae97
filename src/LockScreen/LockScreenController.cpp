#include "LockScreen/LockScreenController.h"

#include "LockScreen/LockNotchView.h"
#include "LockScreen/LockScreenView.h"
#include "LockScreen/LockSounds.h"
#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/NowPlayingService.h"
#include "Platform/ScreenLock.h"
#include "Platform/UserDefaults.h"

#include <cmath>
#include <filesystem>

namespace vesk {

LockScreenController::LockScreenController(NotchViewModel &model, LockPanel::MakeWindow makeWindow)
    : model_(model), makeWindow_(std::move(makeWindow))
{
    model_.lockCardChanged = [this](const QRectF &frame, bool shown) { cardChanged(frame, shown); };
    // The session's lock sources pass on changes only, so each real lock arrives here once.
    lockConnection_ = screenLock().lockedChanged.connect([this](bool locked) { setLocked(locked, true); });
    for (const Observable *field : std::initializer_list<const Observable *>{
             &model_.isScreenLocked, &model_.lockIndicator, &model_.nowPlaying().track})
        modelConnections_.push_back(field->observe([this] { scheduleRefresh(); }));
    // Both windows exist from the next turn on, drawing nothing until the model asks.
    firstShow_ = mainQueue().after(0, [this] {
        showNotchPanel();
        showPanel();
    });
}

LockScreenController::~LockScreenController()
{
    if (model_.lockCardChanged)
        model_.lockCardChanged = nullptr;
}

void LockScreenController::setLocked(bool locked, bool playSound)
{
    // 1. The sound.
    if (playSound && UserDefaults::standard().value(settings::lockSounds))
        LockSounds::play(locked ? LockSounds::Sound::lock : LockSounds::Sound::unlock);
    // 2. The application's reaction.
    if (onLockedChange)
        onLockedChange(locked);
    // 3. The padlock.
    showLockIndicator(locked);
    // 4. The card lets the mouse through until it is wanted again.
    showTask_.cancel();
    if (panel_)
        panel_->setIgnoresMouse(true);
    // 5-6. The card, wanted a moment after locking, gone at once on unlocking.
    if (locked && UserDefaults::standard().value(settings::lockScreenPreview)) {
        showPanel();
        if (panel_)
            panel_->setIgnoresMouse(false);
        showTask_ = mainQueue().after(cardDelay, [this] { model_.isScreenLocked = true; });
    }
    if (!locked)
        model_.isScreenLocked = false;
    refreshOnScreen();
}

void LockScreenController::showLockIndicator(bool locked)
{
    indicatorTask_.cancel();
    using Indicator = NotchViewModel::LockIndicator;
    if (locked) {
        if (UserDefaults::standard().value(settings::lockShowIndicator)) {
            showNotchPanel();
            model_.lockIndicator = Indicator::locked;
        }
        return;
    }
    if (model_.lockIndicator.peek() == Indicator::hidden)
        return;
    model_.lockIndicator = Indicator::unlocking;
    indicatorTask_ = mainQueue().after(unlockingDuration, [this] {
        if (model_.lockIndicator.peek() != Indicator::hidden)
            model_.lockIndicator = Indicator::hidden;
    });
}

QRectF LockScreenController::padlockFrame(const Screen &screen)
{
    const Screens &all = screens();
    const QRectF f = all.toYUp(screen.frame);
    const QRectF yUp(f.center().x() - padlockWidth / 2, f.y() + f.height() - padlockHeight, padlockWidth,
                     padlockHeight);
    return all.fromYUp(yUp);
}

QRectF LockScreenController::widgetFrame(const Screen &screen, double position)
{
    if (!std::isfinite(position))
        position = settings::lockScreenPosition.fallback;
    const Screens &all = screens();
    const QRectF f = all.toYUp(screen.frame);
    const QRectF yUp(f.center().x() - cardWidth / 2, f.y() + f.height() * position - 34, cardWidth, cardHeight);
    return all.fromYUp(yUp);
}

void LockScreenController::showNotchPanel()
{
    const auto all = screens().screens();
    if (all.empty())
        return;
    // A screen with a camera notch, else the main one.
    const Screen *screen = &all.front();
    for (const auto &candidate : all) {
        if (candidate.safeAreaTop > 0) {
            screen = &candidate;
            break;
        }
    }
    if (!notchPanel_) {
        notchPanel_ = std::make_unique<LockPanel>(makeWindow_(), QSizeF(padlockWidth, padlockHeight),
                                                  kit::view(LockNotchView{&model_}));
        notchPanel_->onNeedsDisplay = [this] { refreshOnScreen(); };
    }
    notchPanel_->place(*screen, padlockFrame(*screen).topLeft());
    refreshOnScreen();
}

void LockScreenController::showPanel()
{
    const auto all = screens().screens();
    if (all.empty())
        return;
    const Screen &screen = all.front();
    if (!panel_) {
        panel_ = std::make_unique<LockPanel>(makeWindow_(), QSizeF(cardWidth, cardHeight),
                                             kit::view(LockScreenView{&model_}));
        panel_->onNeedsDisplay = [this] { refreshOnScreen(); };
    }
    const double position = UserDefaults::standard().value(settings::lockScreenPosition);
    panel_->place(screen, widgetFrame(screen, position).topLeft());
    refreshOnScreen();
}

void LockScreenController::cardChanged(const QRectF &frame, bool shown)
{
    // No glass lies under the card here; its report only says where the card takes the mouse.
    (void)shown;
    if (!(frame.width() > 0))
        return;
    cardFrame_ = frame;
    if (panel_)
        panel_->setHitArea(frame);
}

bool LockScreenController::isCardShown() const
{
    return model_.isScreenLocked.peek() && model_.nowPlaying().track.peek().has_value();
}

void LockScreenController::scheduleRefresh()
{
    // After the trees have taken the change in (their update is already queued), so an animation
    // that the change starts counts.
    if (!refresh_.isPending())
        refresh_ = mainQueue().after(0, [this] { refreshOnScreen(); });
}

void LockScreenController::refreshOnScreen()
{
    const bool unlocked = !screenLock().isLocked();
    // A window on the screen stays while its tree moves, or may start moving at its next update.
    auto moving = [this](LockPanel &panel) {
        if (panel.tree().hasPendingUpdate())
            scheduleRefresh();
        return panel.isOnScreen() && (panel.tree().isAnimating() || panel.tree().hasPendingUpdate());
    };
    const bool shown = isCardShown();
    if (panel_) {
        if (shown)
            cardHidingOnScreen_ = false;
        else if (cardWasShown_)
            cardHidingOnScreen_ = panel_->isOnScreen();
        if (cardHidingOnScreen_ && !moving(*panel_))
            cardHidingOnScreen_ = false;
        panel_->setOnScreen(unlocked && (shown || cardHidingOnScreen_));
    }
    cardWasShown_ = shown;
    if (notchPanel_) {
        const bool indicates = model_.lockIndicator.peek() != NotchViewModel::LockIndicator::hidden;
        notchPanel_->setOnScreen(unlocked && (indicates || moving(*notchPanel_)));
    }
}

void LockScreenController::writeSnapshot(const std::string &path) const
{
    const auto folder = std::filesystem::path(path).parent_path();
    if (notchPanel_ && model_.lockIndicator.peek() != NotchViewModel::LockIndicator::hidden)
        WindowSnapshot::write(notchPanel_->snapshotWindow(), (folder / "lock-notch.png").string(), true);
    if (panel_ && model_.isScreenLocked.peek())
        WindowSnapshot::write(panel_->snapshotWindow(), path, true);
}

}  // namespace vesk
