// Applying reports: deciding between nothing playing, the same track again and a new track,
// smoothing positions and playing flags, and holding a new track back for its artwork.
#include "NowPlaying/NowPlayingService.h"

#include "NowPlaying/ArtworkImage.h"
#include "Platform/DesktopApps.h"

#include <cmath>

namespace vesk {

namespace {

constexpr double freshSample = 2.0;
constexpr double recentPause = 2.5;
constexpr double positionTolerance = 1.5;
constexpr double artworkGrace = 1.5;
constexpr double settleDelay = 0.7;
constexpr double ambiguityRecheck = 2.5;

// The position of a track at `date`, projected while it plays.
double positionAt(const Track &track, double date) { return track.elapsedAt(date); }

}  // namespace

void NowPlayingService::apply(NowPlayingPayload payload, bool fromHelper)
{
    // 1-2. The companion is not asked while a player is pinned; for players that are scripted,
    // shuffle and repeat come from the player itself.
    if (fromHelper && pinnedPlayer_)
        return;
    if (fromHelper) {
        if (auto player = scripted::fromBundleID(payload.bundleID); player && hasScripted(*player)) {
            payload.shuffle.reset();
            payload.repeat.reset();
        }
    }
    // 3.
    restarts_ = 0;
    const bool announce = hasReceivedState_;
    hasReceivedState_ = true;
    const double date = now();

    // 4. Nothing playing.
    if (payload.empty.value_or(false) || !payload.title) {
        cancelPendingSwitch();
        track = std::nullopt;
        if (artwork.peek()) {
            clearArtwork();
            trackVersion = trackVersion.peek() + 1;
        }
        return;
    }

    // 5. The candidate.
    Track candidate;
    candidate.title = *payload.title;
    candidate.artist = payload.artist.value_or("");
    candidate.album = payload.album.value_or("");
    candidate.duration = payload.duration.value_or(0);
    candidate.elapsed = payload.elapsed.value_or(0);
    candidate.timestamp = payload.timestamp.value_or(date);
    candidate.rate = payload.rate.value_or(1.0);
    candidate.isExplicit = payload.explicitFlag.value_or(false);
    candidate.bundleID = payload.bundleID;
    candidate.shuffleMode = payload.shuffle;
    candidate.repeatMode = payload.repeat;
    candidate.isLiked = payload.liked;
    if (!payload.rate)
        candidate.isPlaying = payload.playing.value_or(false);
    else if (!(*payload.rate > 0))
        candidate.isPlaying = false;
    else if (payload.playing.value_or(false))
        candidate.isPlaying = true;
    else
        candidate.isPlaying = payload.timestamp && date - *payload.timestamp < freshSample;

    // 6. A repeated sample.
    const bool repeatsSample = !payload.elapsed
        || (lastSampleElapsed_ && *lastSampleElapsed_ == *payload.elapsed && payload.timestamp == lastSampleTimestamp_);
    lastSampleElapsed_ = payload.elapsed;
    lastSampleTimestamp_ = payload.timestamp;

    // 7. The report's artwork.
    std::optional<QByteArray> newArtwork;
    bool hasArtwork = false;
    if (payload.artwork) {
        hasArtwork = true;
        auto decoded = payload.artworkBytes();
        if (decoded && !(artworkData_ && *artworkData_ == *decoded))
            newArtwork = std::move(decoded);
    } else {
        hasArtwork = payload.artworkSame.value_or(false);
    }

    // 8. The first track.
    const auto &published = track.peek();
    if (!published) {
        commit(std::move(candidate), newArtwork, hasArtwork, announce);
        return;
    }

    // 9. The same track again.
    if (candidate.title == published->title && (candidate.artist == published->artist || published->artist.empty())) {
        const Track old = *published;
        cancelPendingSwitch();
        if (expectedPlayState_ && date < expectedPlayState_->deadline
            && candidate.isPlaying != expectedPlayState_->isPlaying)
            candidate.isPlaying = old.isPlaying;
        else
            expectedPlayState_.reset();

        const double shown = positionAt(old, date);
        if (old.isPlaying && !candidate.isPlaying)
            pausedAt_ = date;
        bool keep;
        if (candidate.isPlaying) {
            keep = repeatsSample || std::abs(positionAt(candidate, date) - shown) <= positionTolerance;
        } else {
            keep = repeatsSample || (pausedAt_ && date - *pausedAt_ < recentPause)
                || std::abs(candidate.elapsed - shown) <= positionTolerance;
        }
        if (keep) {
            if (candidate.isPlaying != old.isPlaying) {
                candidate.elapsed = shown;
                candidate.timestamp = date;
            } else {
                candidate.elapsed = old.elapsed;
                candidate.timestamp = old.timestamp;
            }
        }
        if (!candidate.shuffleMode)
            candidate.shuffleMode = old.shuffleMode;
        if (!candidate.repeatMode)
            candidate.repeatMode = old.repeatMode;
        if (!candidate.isLiked)
            candidate.isLiked = old.isLiked;
        if (old.isExplicit)
            candidate.isExplicit = true;
        if (candidate.artist != old.artist)
            artistVersion = artistVersion.peek() + 1;
        if (!(candidate == old))
            publish(candidate);

        if (newArtwork) {
            // A cancelled clear stays in its field: no new clear for this track until commit.
            artworkClearTask_.cancel();
            show(*newArtwork);
        } else if (hasArtwork) {
            artworkClearTask_.cancel();
        } else if (artwork.peek() && !hasArtworkClearTask_) {
            hasArtworkClearTask_ = true;
            artworkClearTask_ = mainQueue().after(artworkGrace, [this] {
                hasArtworkClearTask_ = false;
                clearArtwork();
                trackVersion = trackVersion.peek() + 1;
                artworkVersion = artworkVersion.peek() + 1;
            });
        }
        recheckIfAmbiguous(payload);
        return;
    }

    // 10. A different track.
    expectedPlayState_.reset();
    pendingSwitch_ = PendingSwitch{candidate, hasArtwork};
    if (newArtwork) {
        cancelPendingSwitch();
        commit(std::move(candidate), newArtwork, hasArtwork, true);
        return;
    }
    if (!hasSettleTask_) {
        hasSettleTask_ = true;
        settleTask_ = mainQueue().after(settleDelay, [this] {
            hasSettleTask_ = false;
            if (!pendingSwitch_)
                return;
            PendingSwitch pending = std::move(*pendingSwitch_);
            cancelPendingSwitch();
            commit(std::move(pending.track), std::nullopt, pending.hasArtwork, true);
        });
    }
}

void NowPlayingService::commit(Track next, const std::optional<QByteArray> &artworkBytes, bool hasArtwork, bool announce)
{
    artworkClearTask_.cancel();
    hasArtworkClearTask_ = false;
    std::optional<QImage> image;
    if (artworkBytes)
        image = artwork::image(*artworkBytes);
    if (image) {
        artworkData_ = *artworkBytes;
        accent = artwork::accent(*image);
        artwork = std::make_shared<const QImage>(std::move(*image));
        artworkVersion = artworkVersion.peek() + 1;
    } else if (!hasArtwork && artwork.peek()) {
        clearArtwork();
        artworkVersion = artworkVersion.peek() + 1;
    }
    const auto &published = track.peek();
    if (!published || published->title != next.title)
        titleVersion = titleVersion.peek() + 1;
    if (!published || published->artist != next.artist)
        artistVersion = artistVersion.peek() + 1;
    const std::optional<std::string> oldBundle = published ? published->bundleID : std::nullopt;
    if (next.bundleID != oldBundle) {
        Image icon;
        if (next.bundleID) {
            if (auto found = DesktopApps::shared().icon(QString::fromStdString(*next.bundleID), 128))
                icon = std::make_shared<const QImage>(std::move(*found));
        }
        appIcon = std::move(icon);
    }
    if (!next.shuffleMode)
        next.shuffleMode = published ? published->shuffleMode : std::nullopt;
    if (!next.repeatMode)
        next.repeatMode = published ? published->repeatMode : std::nullopt;
    const bool playing = next.isPlaying;
    publish(std::move(next));
    trackVersion = trackVersion.peek() + 1;
    refreshScriptedDetails();
    if (announce && playing)
        announceNewTrack();
}

void NowPlayingService::show(const QByteArray &artworkBytes)
{
    auto image = artwork::image(artworkBytes);
    if (!image)
        return;
    artworkData_ = artworkBytes;
    accent = artwork::accent(*image);
    artwork = std::make_shared<const QImage>(std::move(*image));
    trackVersion = trackVersion.peek() + 1;
    artworkVersion = artworkVersion.peek() + 1;
}

bool NowPlayingService::showArtwork(const QByteArray &imageBytes)
{
    if (!artwork::image(imageBytes))
        return false;
    show(imageBytes);
    return true;
}

void NowPlayingService::removeArtwork()
{
    if (!artwork.peek() && !artworkData_)
        return;
    clearArtwork();
    trackVersion = trackVersion.peek() + 1;
    artworkVersion = artworkVersion.peek() + 1;
}

void NowPlayingService::cancelPendingSwitch()
{
    settleTask_.cancel();
    hasSettleTask_ = false;
    pendingSwitch_.reset();
}

void NowPlayingService::recheckIfAmbiguous(const NowPlayingPayload &payload)
{
    if (!(payload.rate && *payload.rate > 0 && payload.playing && !*payload.playing) || hasRecheckTask_)
        return;
    hasRecheckTask_ = true;
    recheckTask_ = mainQueue().after(ambiguityRecheck, [this] {
        hasRecheckTask_ = false;
        write("refresh now");
    });
}

void NowPlayingService::clearEverything()
{
    cancelPendingSwitch();
    artworkClearTask_.cancel();
    hasArtworkClearTask_ = false;
    expectedPlayState_.reset();
    track = std::nullopt;
    if (artwork.peek()) {
        clearArtwork();
        trackVersion = trackVersion.peek() + 1;
    }
}

void NowPlayingService::clearArtwork()
{
    artworkData_.reset();
    artwork = nullptr;
    accent = QColor(Qt::white);
}

}  // namespace vesk
