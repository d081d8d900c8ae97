#pragma once

#include "Settings/PaneKit/PaneScaffold.h"
#include "Updater/Updater.h"

#include <QString>

namespace vesk {

// The application-wide switches: launch at login, the tray icon, the updater's switches with the
// version, a live status line and "Check Now", and the haptics switches.
class GeneralPane : public PaneScaffold {
public:
    explicit GeneralPane(Updater &updater, QWidget *parent = nullptr);

    // The status line for an updater phase.
    static QString updateStatus(const Updater::Phase &phase);
    // The whole percent a download shows: progress × 100 rounded to 9 decimals first (so 0.29
    // reads 29), then its integer part, within 0 ... 100.
    static int downloadPercent(double progress);

    // Registers or unregisters the login item, then follows the item's real status.
    void setLaunchAtLogin(bool on);
    bool launchAtLogin() const { return launchAtLogin_; }

private:
    // The switch's own state; every change after the first display reaches the login item.
    void changeLaunchAtLogin(bool on);

    bool launchAtLogin_ = false;
    Connection phase_;
};

}  // namespace vesk
