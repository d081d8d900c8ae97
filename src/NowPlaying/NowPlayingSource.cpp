// The source of the published state: the companion, or the player pinned in the settings; and the
// details read from the scripted players even when nothing is pinned.
#include "NowPlaying/NowPlayingService.h"

#include "Platform/MprisBus.h"
#include "Platform/UserDefaults.h"

#include <QDBusObjectPath>

namespace vesk {

const Setting<bool> &NowPlayingService::scriptedSetting(ScriptedPlayer player)
{
    static constexpr Setting<bool> spotify{"scripted.spotify", false};
    static constexpr Setting<bool> music{"scripted.music", false};
    return player == ScriptedPlayer::spotify ? spotify : music;
}

void NowPlayingService::startSourceTracking()
{
    if (!sourceObservers_.empty())
        return;
    sourceObservers_.push_back(MprisBus::shared().propertiesChanged.connect(
        [this](const QString &busName, const QString &interface, const QVariantMap &changed) {
            if (interface != QLatin1String(MprisBus::playerInterface))
                return;
            const auto player = scripted::playerOfBusName(busName);
            if (!player)
                return;
            std::optional<std::pair<std::string, std::string>> announced;
            if (*player == ScriptedPlayer::spotify) {
                const QVariantMap metadata = changed.value(QStringLiteral("Metadata")).toMap();
                const QVariant id = metadata.value(QStringLiteral("mpris:trackid"));
                const QVariant title = metadata.value(QStringLiteral("xesam:title"));
                QString idText;
                if (id.typeId() == qMetaTypeId<QDBusObjectPath>())
                    idText = id.value<QDBusObjectPath>().path();
                else if (id.typeId() == QMetaType::QString)
                    idText = id.toString();
                if (!idText.isEmpty() && title.typeId() == QMetaType::QString)
                    announced = std::pair(scripted::spotifyTrackID(idText.toStdString()), title.toString().toStdString());
            }
            playerChanged(*player, announced);
        }));
    sourceObservers_.push_back(UserDefaults::standard().changed.connect([this] { readSourceSetting(); }));
    readSourceSetting();
}

void NowPlayingService::readSourceSetting()
{
    std::optional<ScriptedPlayer> next;
    const std::string value = UserDefaults::standard().value(sourceSetting_);
    // The music player is whichever application the desktop opens music with when the source is
    // chosen (and at start), not the one it named when it was first asked.
    if (value != sourceValue_) {
        sourceValue_ = value;
        scripted::lookUpMusicPlayer();
    }
    if (value == "spotify")
        next = ScriptedPlayer::spotify;
    else if (value == "music")
        next = ScriptedPlayer::music;
    if (next == pinnedPlayer_)
        return;
    pinnedPlayer_ = next;
    pinnedTrackKey_.clear();
    if (!next) {
        clearEverything();
        write("refresh now");
        return;
    }
    noteScripted(*next);
    refreshPinned();
}

void NowPlayingService::refreshPinned()
{
    if (!pinnedPlayer_)
        return;
    const ScriptedPlayer player = *pinnedPlayer_;
    const unsigned long long number = ++pinnedReadsIssued_;
    // Only the newest read may publish: an older one finishing late (a slow artwork fetch) is stale.
    auto current = [this, player, number] { return pinnedPlayer_ == player && number >= pinnedReadApplied_; };
    scripted::fetchState(player, lifetime_.guard([this, player, number, current](std::optional<ScriptedState> state) {
        if (!current())
            return;
        if (!state) {
            pinnedReadApplied_ = number;
            NowPlayingPayload empty;
            empty.empty = true;
            apply(std::move(empty), false);
            return;
        }
        NowPlayingPayload report;
        report.title = state->title;
        report.artist = state->artist;
        report.album = state->album;
        report.duration = state->duration;
        report.elapsed = state->position;
        report.timestamp = now();
        report.rate = state->isPlaying ? 1.0 : 0.0;
        report.playing = state->isPlaying;
        report.shuffle = state->isShuffling ? 3 : 1;
        report.repeat = state->repeatMode;
        report.liked = state->isLiked;
        report.bundleID = scripted::bundleID(player);
        if (state->key() == pinnedTrackKey_) {
            pinnedReadApplied_ = number;
            // The artwork on show is this track's only once the track itself is: while its switch
            // settles, the previous track's artwork is still shown.
            const auto &published = track.peek();
            const bool showsThisTrack = published && published->title == state->title
                && published->artist == state->artist && published->album == state->album;
            report.artworkSame = showsThisTrack && artwork.peek() != nullptr;
            apply(std::move(report), false);
            return;
        }
        scripted::fetchArtwork(player, *state,
                               lifetime_.guard([this, number, current, key = state->key(),
                                                report = std::move(report)](std::optional<QByteArray> bytes) mutable {
                                   if (!current())
                                       return;
                                   pinnedReadApplied_ = number;
                                   pinnedTrackKey_ = key;
                                   if (bytes)
                                       report.artwork = bytes->toBase64().toStdString();
                                   apply(std::move(report), false);
                               }));
    }));
}

void NowPlayingService::playerChanged(ScriptedPlayer player,
                                      const std::optional<std::pair<std::string, std::string>> &announced)
{
    if (player == ScriptedPlayer::spotify && announced) {
        spotifyAnnounced_ = announced;
        lookUpExplicit();
    }
    if (pinnedPlayer_ == player) {
        refreshPinned();
        return;
    }
    if (!pinnedPlayer_) {
        const auto &published = track.peek();
        if (published && scripted::fromBundleID(published->bundleID) == player)
            refreshScriptedDetails();
    }
}

void NowPlayingService::refreshScriptedDetails()
{
    lookUpExplicit();
    if (pinnedPlayer_)
        return;
    const auto &published = track.peek();
    if (!published)
        return;
    const auto player = scripted::fromBundleID(published->bundleID);
    if (!player || !hasScripted(*player))
        return;
    scripted::fetchState(*player, lifetime_.guard([this, player = *player](std::optional<ScriptedState> state) {
        if (!state || pinnedPlayer_)
            return;
        const auto &current = track.peek();
        if (!current || scripted::fromBundleID(current->bundleID) != player || current->title != state->title)
            return;
        Track next = *current;
        next.shuffleMode = state->isShuffling ? 3 : 1;
        next.repeatMode = state->repeatMode;
        if (state->isLiked)
            next.isLiked = state->isLiked;
        publish(std::move(next));
    }));
}

void NowPlayingService::noteScripted(ScriptedPlayer player)
{
    auto &defaults = UserDefaults::standard();
    if (!defaults.value(scriptedSetting(player)))
        defaults.set(scriptedSetting(player), true);
}

bool NowPlayingService::hasScripted(ScriptedPlayer player) const
{
    auto &defaults = UserDefaults::standard();
    if (defaults.value(scriptedSetting(player)))
        return true;
    return player == ScriptedPlayer::spotify && defaults.value(spotifyScriptingUsed);
}

void NowPlayingService::lookUpExplicit()
{
    if (!spotifyAnnounced_)
        return;
    const auto &published = track.peek();
    if (!published || scripted::fromBundleID(published->bundleID) != ScriptedPlayer::spotify
        || published->title != spotifyAnnounced_->second || published->isExplicit)
        return;
    const std::string title = spotifyAnnounced_->second;
    scripted::isExplicit(explicitBase_, spotifyAnnounced_->first, lifetime_.guard([this, title](bool isExplicit) {
        if (!isExplicit)
            return;
        const auto &current = track.peek();
        if (!current || current->title != title)
            return;
        Track next = *current;
        next.isExplicit = true;
        publish(std::move(next));
    }));
}

}  // namespace vesk
