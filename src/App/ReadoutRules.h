#pragma once

#include "Extensions/ExtensionActivity.h"
#include "Readouts/BatteryService.h"

#include <QString>

#include <optional>

namespace vesk {

class NotchViewModel;

// The application's rules that turn system events into readouts and activities on every island:
// each reads its setting at the moment of the event and shows on the primary, forwarded to mirrors.
class ReadoutRules {
public:
    explicit ReadoutRules(NotchViewModel &primary) : primary_(primary) {}

    void battery(const BatteryService::Event &event);
    void capsLock(bool on);
    void inputSource(const QString &name);
    void focus(bool on);
    void downloadProgress(std::optional<double> fraction);
    void downloadEnded(bool completed);
    void extensionAlert(const ExtensionActivity &activity, double seconds);

    // A keyboard layout's name as the readout shows it: 23 characters or more are cut to the first
    // 21 followed by "…" (characters as the reader sees them, not code units).
    static QString shortInputSourceName(const QString &name);

    static constexpr double downloadDoneDuration = 2.5;
    static constexpr double focusDuration = 2.5;
    static constexpr double minimumBatteryDuration = 3.0;

private:
    NotchViewModel &primary_;
};

}  // namespace vesk
