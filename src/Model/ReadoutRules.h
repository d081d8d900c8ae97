#pragma once

#include "Extensions/ExtensionActivity.h"
#include "Platform/Backlight.h"
#include "Base/Lifetime.h"
#include "Base/Signal.h"
#include "Base/Signal.h"
#include "Readouts/BatteryService.h"
#include "Readouts/DownloadMonitor.h"
#include "Readouts/MediaKeyTap.h"
#include "Readouts/SystemMonitor.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class NotchViewModel;

// The readout sources the rules drive, owned by their caller (the application, island-script).
struct ReadoutSources {
    BatteryService &battery;
    MediaKeyTap &keyTap;
    SystemMonitor &system;
    DownloadMonitor &downloads;
};

// The application's rules that turn system events into readouts and activities on every island:
// each reads its setting at the moment of the event and shows on the primary, forwarded to mirrors.
// With sources they also perform the media keys, watch the brightness, and start and stop the key
// tap and the download monitor from the settings.
class ReadoutRules {
public:
    explicit ReadoutRules(NotchViewModel &primary) : primary_(primary) {}
    ReadoutRules(NotchViewModel &primary, ReadoutSources sources, Backlight &light = backlight())
        : primary_(primary), sources_(sources), backlight_(&light)
    {
    }
    ReadoutRules(const ReadoutRules &) = delete;
    ReadoutRules &operator=(const ReadoutRules &) = delete;

    // Re-runs the island layout (unforced) at the start of every key-tap sync.
    std::function<void(bool force)> syncIslands;

    // The launch wiring, in its fixed order: the battery's rule and start, the input-state rules
    // and start, the download rules, the key handler, a settings observer that re-syncs the key
    // tap, one sync now, then the brightness watch. Needs sources; call once.
    void wire();

    void battery(const BatteryService::Event &event);
    void capsLock(bool on);
    void inputSource(const QString &name);
    void focus(bool on);
    void downloadProgress(std::optional<double> fraction);
    void downloadEnded(bool completed);
    void extensionAlert(const ExtensionActivity &activity, double seconds);

    // Performs a media key; true when it consumed it (its readout is on and the level was written).
    bool handle(MediaKeyTap::Key key, bool fine);
    // Shows the volume readout when "showVolumeHUD" is on.
    void showVolume(float level, bool muted);
    // Re-decides the layout, the download monitor and the key tap from the settings.
    void syncKeyTap();
    // The keys the tap should hold now: the volume keys while their readout is on, the
    // brightness keys while theirs is on and there is a backlight.
    MediaKeyTap::Keys wantedKeys() const;
    // Starts the brightness watch on the input-state poll's 0.1 s tick (its own 0.08 s period
    // allows 0.02 s of slack, and sharing the tick halves the wake-ups); without a backlight
    // nothing runs. Called once.
    void watchBrightness();
    // The brightness last seen by the watch or set by a key; none until known and while
    // brightness readouts are off.
    std::optional<float> lastBrightness() const { return lastBrightness_; }
    void brightnessTick();

    // A keyboard layout's name as the readout shows it: 23 characters or more are cut to the first
    // 21 followed by "…" (characters as the reader sees them, not code units).
    static QString shortInputSourceName(const QString &name);

    static constexpr double downloadDoneDuration = 2.5;
    static constexpr double focusDuration = 2.5;
    static constexpr double minimumBatteryDuration = 3.0;
    static constexpr float step = 1.0f / 16;
    static constexpr float fineStep = 1.0f / 64;
    static constexpr float brightnessThreshold = 0.02f;

private:
    bool handleVolume(MediaKeyTap::Key key, float delta);
    bool handleMute();
    bool handleBrightness(MediaKeyTap::Key key, float delta);
    void clearDownloads();

    NotchViewModel &primary_;
    std::optional<ReadoutSources> sources_;
    Backlight *backlight_ = nullptr;
    std::optional<float> lastBrightness_;
    Connection brightnessWatch_;
    Connection defaultsConnection_;
    Lifetime lifetime_;
};

}  // namespace vesk
