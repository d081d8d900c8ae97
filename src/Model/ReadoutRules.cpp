#include "Model/ReadoutRules.h"

#include "Model/NotchViewModel.h"
#include "NowPlaying/VolumeService.h"
#include "Model/Defaults.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {
bool setting(const Setting<bool> &setting) { return UserDefaults::standard().value(setting); }
double hudDuration() { return UserDefaults::standard().value(settings::hudDuration); }
}  // namespace

template <typename F>
auto ReadoutRules::guarded(F fn)
{
    return [alive = std::weak_ptr<int>(alive_), fn = std::move(fn)](auto &&...args) {
        using Result = decltype(fn(std::forward<decltype(args)>(args)...));
        if (alive.expired()) {
            if constexpr (!std::is_void_v<Result>)
                return Result{};
            else
                return;
        }
        return fn(std::forward<decltype(args)>(args)...);
    };
}

void ReadoutRules::wire()
{
    if (!sources_)
        return;
    auto &sources = *sources_;
    sources.battery.onChange = guarded([this](const BatteryService::Event &event) { battery(event); });
    sources.battery.start();
    sources.system.onCapsLock = guarded([this](bool on) { capsLock(on); });
    sources.system.onInputSource = guarded([this](const std::string &name) { inputSource(QString::fromStdString(name)); });
    sources.system.onFocus = guarded([this](bool on) { focus(on); });
    sources.system.start();
    sources.downloads.onProgress = guarded([this](std::optional<double> fraction) { downloadProgress(fraction); });
    sources.downloads.onEnd = guarded([this](bool finished) { downloadEnded(finished); });
    sources.keyTap.handler = guarded([this](MediaKeyTap::Key key, bool fine) { return handle(key, fine); });
    defaultsConnection_ = UserDefaults::standard().changed.connect(guarded([this] { syncKeyTap(); }));
    syncKeyTap();
    watchBrightness();
}

void ReadoutRules::battery(const BatteryService::Event &event)
{
    if (!setting(event.isLowWarning ? settings::showLowBatteryPeek : settings::showChargingPeek))
        return;
    primary_.show(Peek::battery(event.percent, event.pluggedIn), std::max(hudDuration(), minimumBatteryDuration));
}

void ReadoutRules::capsLock(bool on)
{
    if (setting(settings::showCapsLockActivity))
        primary_.show(Peek::capsLock(on));
}

void ReadoutRules::inputSource(const QString &name)
{
    if (setting(settings::showInputSourceActivity))
        primary_.show(Peek::inputSource(shortInputSourceName(name)));
}

void ReadoutRules::focus(bool on)
{
    if (setting(settings::showFocusActivity))
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
    if (completed && setting(settings::showDownloadActivity))
        primary_.show(Peek::downloadDone(), downloadDoneDuration);
}

void ReadoutRules::extensionAlert(const ExtensionActivity &activity, double seconds)
{
    primary_.show(Peek::custom(activity), seconds);
}

void ReadoutRules::showVolume(float level, bool muted)
{
    if (setting(settings::showVolumeHUD))
        primary_.show(Peek::volume(level, muted));
}

bool ReadoutRules::handle(MediaKeyTap::Key key, bool fine)
{
    const float delta = fine ? fineStep : step;
    switch (key) {
    case MediaKeyTap::Key::volumeUp:
    case MediaKeyTap::Key::volumeDown:
        return setting(settings::showVolumeHUD) && handleVolume(key, delta);
    case MediaKeyTap::Key::mute:
        return setting(settings::showVolumeHUD) && handleMute();
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
    if (!setting(settings::showBrightnessHUD) || !backlight_ || !backlight_->canRead())
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
    if (setting(settings::showDownloadActivity)) {
        downloads.start();
    } else if (downloads.isSubscribed()) {
        downloads.stop();
        clearDownloads();
    }
    primary_.refreshOngoing();
    const bool wanted = (setting(settings::showVolumeHUD) || setting(settings::showBrightnessHUD)) && setting(settings::replaceSystemHUD);
    if (wanted)
        sources_->keyTap.start(wantedKeys());
    else
        sources_->keyTap.stop();
}

MediaKeyTap::Keys ReadoutRules::wantedKeys() const
{
    MediaKeyTap::Keys keys;
    if (setting(settings::showVolumeHUD))
        keys.insert({MediaKeyTap::Key::volumeUp, MediaKeyTap::Key::volumeDown, MediaKeyTap::Key::mute});
    if (setting(settings::showBrightnessHUD) && backlight_ && backlight_->canRead())
        keys.insert({MediaKeyTap::Key::brightnessUp, MediaKeyTap::Key::brightnessDown});
    return keys;
}

void ReadoutRules::watchBrightness()
{
    if (!backlight_ || !backlight_->canRead()) {
        lastBrightness_ = std::nullopt;
        return;  // nothing to watch: no wake-ups for the life of the process
    }
    lastBrightness_ = backlight_->level();
    brightnessWatch_.start(brightnessInterval, guarded([this] { brightnessTick(); }));
}

void ReadoutRules::brightnessTick()
{
    if (!setting(settings::showBrightnessHUD)) {
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
