#include "Model/ReadoutRules.h"

#include "Model/NotchViewModel.h"
#include "NowPlaying/VolumeService.h"
#include "Model/Defaults.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace vesk {

void ReadoutRules::wire()
{
    if (!sources_)
        return;
    auto &sources = *sources_;
    sources.battery.onChange = lifetime_.guard([this](const BatteryService::Event &event) { battery(event); });
    sources.battery.start();
    sources.system.onCapsLock = lifetime_.guard([this](bool on) { capsLock(on); });
    sources.system.onInputSource = lifetime_.guard([this](const std::string &name) { inputSource(QString::fromStdString(name)); });
    sources.system.onFocus = lifetime_.guard([this](bool on) { focus(on); });
    sources.system.start();
    sources.downloads.onProgress = lifetime_.guard([this](std::optional<double> fraction) { downloadProgress(fraction); });
    sources.downloads.onEnd = lifetime_.guard([this](bool finished) { downloadEnded(finished); });
    sources.keyTap.handler = lifetime_.guard([this](MediaKeyTap::Key key, bool fine) { return handle(key, fine); });
    defaultsConnection_ = UserDefaults::standard().changed.connect(lifetime_.guard([this] { syncKeyTap(); }));
    syncKeyTap();
    watchBrightness();
}

void ReadoutRules::battery(const BatteryService::Event &event)
{
    if (!UserDefaults::standard().value(event.isLowWarning ? settings::showLowBatteryPeek : settings::showChargingPeek))
        return;
    const double duration = std::max(UserDefaults::standard().value(settings::hudDuration), minimumBatteryDuration);
    primary_.show(Peek::battery(event.percent, event.pluggedIn), duration);
}

void ReadoutRules::capsLock(bool on)
{
    if (UserDefaults::standard().value(settings::showCapsLockActivity))
        primary_.show(Peek::capsLock(on));
}

void ReadoutRules::inputSource(const QString &name)
{
    if (UserDefaults::standard().value(settings::showInputSourceActivity))
        primary_.show(Peek::inputSource(shortInputSourceName(name)));
}

void ReadoutRules::focus(bool on)
{
    if (UserDefaults::standard().value(settings::showFocusActivity))
        primary_.show(Peek::focus(on), focusDuration);
}

void ReadoutRules::downloadProgress(std::optional<double> fraction)
{
    primary_.setDownloadFraction(std::optional<std::optional<double>>(fraction));
    for (const auto &mirror : primary_.mirrors())
        mirror->setDownloadFraction(std::optional<std::optional<double>>(fraction));
    primary_.refreshOngoing();
}

void ReadoutRules::clearDownloads()
{
    primary_.setDownloadFraction(std::nullopt);
    for (const auto &mirror : primary_.mirrors())
        mirror->setDownloadFraction(std::nullopt);
    primary_.refreshOngoing();
}

void ReadoutRules::downloadEnded(bool completed)
{
    clearDownloads();
    if (completed && UserDefaults::standard().value(settings::showDownloadActivity))
        primary_.show(Peek::downloadDone(), downloadDoneDuration);
}

void ReadoutRules::extensionAlert(const ExtensionActivity &activity, double seconds)
{
    primary_.show(Peek::custom(activity), seconds);
}

void ReadoutRules::showVolume(float level, bool muted)
{
    if (UserDefaults::standard().value(settings::showVolumeHUD))
        primary_.show(Peek::volume(level, muted));
}

bool ReadoutRules::handle(MediaKeyTap::Key key, bool fine)
{
    const float delta = fine ? fineStep : step;
    switch (key) {
    case MediaKeyTap::Key::volumeUp:
    case MediaKeyTap::Key::volumeDown:
        return UserDefaults::standard().value(settings::showVolumeHUD) && handleVolume(key, delta);
    case MediaKeyTap::Key::mute:
        return UserDefaults::standard().value(settings::showVolumeHUD) && handleMute();
    case MediaKeyTap::Key::brightnessUp:
    case MediaKeyTap::Key::brightnessDown:
        return handleBrightness(key, delta);
    }
    return false;
}

bool ReadoutRules::handleVolume(MediaKeyTap::Key key, float delta)
{
    VolumeService &volume = primary_.audio();
    const auto current = volume.volume();
    if (!current)
        return false;
    float level = key == MediaKeyTap::Key::volumeUp ? *current + delta : *current - delta;
    if (level <= 0)
        level = 0;
    else if (level > 1)
        level = 1;
    if (!volume.setVolume(level))
        return false;
    bool muted = false;
    if (key == MediaKeyTap::Key::volumeDown)
        muted = volume.isMuted().value_or(false);
    else
        volume.setMuted(false);  // unmutes whatever the answer
    showVolume(level, muted);
    return true;
}

bool ReadoutRules::handleMute()
{
    VolumeService &volume = primary_.audio();
    const auto level = volume.volume();
    if (!level)
        return false;
    const auto wasMuted = volume.isMuted();
    // An unreadable mute state mutes: the key's likelier wish.
    if (!volume.setMuted(wasMuted ? !*wasMuted : true))
        return false;
    showVolume(*level, volume.isMuted().value_or(false));
    return true;
}

bool ReadoutRules::handleBrightness(MediaKeyTap::Key key, float delta)
{
    if (!UserDefaults::standard().value(settings::showBrightnessHUD) || !backlight_ || !backlight_->canRead())
        return false;
    const auto current = backlight_->level();
    if (!current)
        return false;
    const bool up = key == MediaKeyTap::Key::brightnessUp;
    float level = up ? *current + delta : *current - delta;
    if (level <= 0)
        level = 0;
    if (!backlight_->canWrite())
        return false;
    if (level > 1)
        level = 1;
    const auto written = backlight_->setLevel(level, up ? 1 : -1);
    if (!written)
        return false;
    // What the watch will read back, so that it shows this change no second time.
    lastBrightness_ = *written;
    primary_.show(Peek::brightness(*written));
    return true;
}

void ReadoutRules::syncKeyTap()
{
    if (syncIslands)
        syncIslands(false);
    if (!sources_)
        return;
    auto &downloads = sources_->downloads;
    if (UserDefaults::standard().value(settings::showDownloadActivity)) {
        downloads.start();
    } else if (downloads.isSubscribed()) {
        downloads.stop();
        clearDownloads();
    }
    primary_.refreshOngoing();
    const bool wanted = (UserDefaults::standard().value(settings::showVolumeHUD) || UserDefaults::standard().value(settings::showBrightnessHUD)) && UserDefaults::standard().value(settings::replaceSystemHUD);
    if (wanted)
        sources_->keyTap.start(wantedKeys());
    else
        sources_->keyTap.stop();
}

MediaKeyTap::Keys ReadoutRules::wantedKeys() const
{
    MediaKeyTap::Keys keys;
    if (UserDefaults::standard().value(settings::showVolumeHUD))
        keys.insert({MediaKeyTap::Key::volumeUp, MediaKeyTap::Key::volumeDown, MediaKeyTap::Key::mute});
    if (UserDefaults::standard().value(settings::showBrightnessHUD) && backlight_ && backlight_->canRead())
        keys.insert({MediaKeyTap::Key::brightnessUp, MediaKeyTap::Key::brightnessDown});
    return keys;
}

void ReadoutRules::watchBrightness()
{
    if (!sources_ || !backlight_ || !backlight_->canRead()) {
        lastBrightness_ = std::nullopt;
        return;  // nothing to watch: no wake-ups for the life of the process
    }
    lastBrightness_ = backlight_->level();
    brightnessWatch_ = sources_->system.tick().subscribe(lifetime_.guard([this] { brightnessTick(); }));
}

void ReadoutRules::brightnessTick()
{
    if (!UserDefaults::standard().value(settings::showBrightnessHUD)) {
        lastBrightness_ = std::nullopt;
        return;
    }
    const auto level = backlight_ ? backlight_->level() : std::nullopt;
    if (!level)
        return;
    if (lastBrightness_ && std::fabs(*level - *lastBrightness_) >= brightnessThreshold)
        primary_.show(Peek::brightness(*level));
    lastBrightness_ = level;
}

QString ReadoutRules::shortInputSourceName(const QString &name)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    std::vector<qsizetype> ends;
    while (graphemes.toNextBoundary() > 0)
        ends.push_back(graphemes.position());
    if (ends.size() < 23)
        return name;
    return name.left(ends[20]) + QStringLiteral("…");
}

}  // namespace vesk
