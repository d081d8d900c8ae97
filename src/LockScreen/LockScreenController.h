#pragma once

#include "LockScreen/LockPanel.h"
#include "Base/MainQueue.h"
#include "Base/Signal.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vesk {

class NotchViewModel;

// The lock screen of the primary island: follows the session's lock, plays the lock sounds, tells
// the application (which hides the islands while locked), and keeps two windows: the padlock at the
// top of the screen and the now-playing card near the bottom.
//
// Nothing may be drawn over a screen locker, so a window is on the screen only while the session
// is unlocked and it draws something: the padlock while its indicator shows or fades, the card
// while shown and through a hide that began on the screen. After a real unlock the padlock springs
// open and fades; a lock driven by setLocked() alone (the diagnostics) shows both as they are.
// Main thread only.
class LockScreenController {
public:
    static constexpr double padlockWidth = 420;
    static constexpr double padlockHeight = 80;
    static constexpr double cardWidth = 400;
    static constexpr double cardHeight = 240;
    static constexpr double cardDelay = 0.15;
    static constexpr double unlockingDuration = 1.1;

    explicit LockScreenController(NotchViewModel &model, LockPanel::MakeWindow makeWindow = makePanelWindow);
    ~LockScreenController();
    LockScreenController(const LockScreenController &) = delete;
    LockScreenController &operator=(const LockScreenController &) = delete;

    // Called on every lock-state change, set by the application.
    std::function<void(bool locked)> onLockedChange;

    // Applies a lock or unlock: the sound (when `playSound` and "lockSounds"), the application's
    // reaction, the padlock and the card. Nothing is deduplicated: a repeat runs it all again.
    void setLocked(bool locked, bool playSound);

    // PNGs of the panels for the diagnostics: the padlock as "lock-notch.png" in `path`'s folder
    // while it shows, the card at `path` while it is wanted.
    void writeSnapshot(const std::string &path) const;

    // The windows, once made (on the main-loop turn after construction).
    const LockPanel *padlockPanel() const { return notchPanel_.get(); }
    const LockPanel *cardPanel() const { return panel_.get(); }
    // The card's frame and shown flag as the card last reported them (window points).
    QRectF cardFrame() const { return cardFrame_; }
    bool isCardShown() const;

    // Where the card window goes on `screen` (desktop points, y down).
    static QRectF widgetFrame(const Screen &screen, double position);
    static QRectF padlockFrame(const Screen &screen);

private:
    void showLockIndicator(bool locked);
    void showNotchPanel();
    void showPanel();
    void cardChanged(const QRectF &frame, bool shown);
    void scheduleRefresh();
    void refreshOnScreen();

    NotchViewModel &model_;
    LockPanel::MakeWindow makeWindow_;
    std::unique_ptr<LockPanel> panel_;       // the card
    std::unique_ptr<LockPanel> notchPanel_;  // the padlock
    WorkItem indicatorTask_;
    WorkItem showTask_;
    WorkItem firstShow_;
    WorkItem refresh_;
    QRectF cardFrame_;
    bool cardWasShown_ = false;
    bool cardHidingOnScreen_ = false;
    Connection lockConnection_;
    std::vector<Connection> modelConnections_;
};

}  // namespace vesk
