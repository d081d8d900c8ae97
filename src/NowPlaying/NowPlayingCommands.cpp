// Playback commands: to the developer tracks, the pinned player or the companion, with the
// published track changed at once where the command's outcome is known.
#include "NowPlaying/NowPlayingService.h"

#include <cmath>

namespace vesk {

void NowPlayingService::send(MediaCommand command)
{
    if (debugTracks_) {
        switch (command) {
        case MediaCommand::nextTrack:
            playDebugTrack(static_cast<long long>(debugIndex_) + 1);
            return;
        case MediaCommand::previousTrack:
            playDebugTrack(static_cast<long long>(debugIndex_) - 1);
            return;
        case MediaCommand::likeTrack:
            return;
        case MediaCommand::play:
        case MediaCommand::pause:
        case MediaCommand::togglePlayPause: {
            const auto &published = track.peek();
            if (!published || debugTracks_->empty())
                return;
            NowPlayingPayload payload = (*debugTracks_)[size_t(debugIndex_)];
            const double date = now();
            payload.playing = !published->isPlaying;
            payload.rate = published->isPlaying ? 0.0 : 1.0;
            payload.elapsed = published->elapsedAt(date);
            payload.timestamp = date;
            payload.artworkSame = true;
            apply(std::move(payload), false);
            return;
        }
        }
        return;
    }
    if (pinnedPlayer_) {
        const ScriptedPlayer player = *pinnedPlayer_;
        switch (command) {
        case MediaCommand::play:
        case MediaCommand::pause:
        case MediaCommand::togglePlayPause:
            scripted::playPause(player);
            break;
        case MediaCommand::nextTrack:
            scripted::nextTrack(player);
            break;
        case MediaCommand::previousTrack:
            scripted::previousTrack(player);
            break;
        case MediaCommand::likeTrack:
            break;
        }
        later(0.6, [this] {
            if (pinnedPlayer_)
                refreshPinned();
        });
        return;
    }
    write("cmd " + std::to_string(companionNumber(command)));
}

void NowPlayingService::togglePlayPause()
{
    send(MediaCommand::togglePlayPause);
    // The developer tracks have already been inverted by send.
    if (debugTracks_)
        return;
    const auto &published = track.peek();
    if (!published)
        return;
    const double date = now();
    Track next = *published;
    if (next.isPlaying)
        next.elapsed = next.elapsedAt(date);
    next.timestamp = date;
    next.isPlaying = !next.isPlaying;
    const bool playing = next.isPlaying;
    publish(std::move(next));
    if (!playing)
        pausedAt_ = date;
    expectedPlayState_ = ExpectedPlayState{playing, date + 2.0};
    later(2.05, [this] { write("refresh now"); });
}

void NowPlayingService::seek(double seconds)
{
    if (!std::isfinite(seconds))
        return;
    if (pinnedPlayer_)
        scripted::setPosition(*pinnedPlayer_, seconds);
    else
        write("seek " + formatPosition(seconds));
    if (const auto &published = track.peek()) {
        Track next = *published;
        next.elapsed = seconds;
        next.timestamp = now();
        publish(std::move(next));
    }
}

void NowPlayingService::skip(double seconds)
{
    const auto &published = track.peek();
    if (!published)
        return;
    double position = published->elapsedAt(now()) + seconds;
    if (!(position > 0))
        position = 0;
    if (published->duration > 0 && position > published->duration)
        position = published->duration;
    seek(position);
}

std::optional<ScriptedPlayer> NowPlayingService::commandPlayer() const
{
    if (pinnedPlayer_)
        return pinnedPlayer_;
    const auto &published = track.peek();
    return published ? scripted::fromBundleID(published->bundleID) : std::nullopt;
}

void NowPlayingService::toggleShuffle()
{
    const auto &published = track.peek();
    if (!published)
        return;
    const bool on = !published->shuffleMode || *published->shuffleMode < 2;
    if (auto player = commandPlayer()) {
        noteScripted(*player);
        scripted::setShuffle(*player, on);
    } else {
        write("shuffle x");
    }
    if (const auto &current = track.peek()) {
        Track next = *current;
        next.shuffleMode = on ? 3 : 1;
        publish(std::move(next));
    }
}

void NowPlayingService::toggleRepeat()
{
    const auto &published = track.peek();
    if (!published)
        return;
    const int mode = !published->repeatMode || *published->repeatMode < 2 ? 3 : 1;
    if (auto player = commandPlayer()) {
        noteScripted(*player);
        scripted::setRepeat(*player, mode);
    } else {
        write("repeat " + std::to_string(mode));
    }
    if (const auto &current = track.peek()) {
        Track next = *current;
        next.repeatMode = mode;
        publish(std::move(next));
    }
}

// MPRIS players have no favourite and the companion cannot set one: like the Spotify case, a
// favourite cannot be changed from here, whatever plays.
void NowPlayingService::toggleLike() {}

bool NowPlayingService::canLike() const { return false; }

void NowPlayingService::openSourceApp()
{
    const auto &published = track.peek();
    if (published && published->bundleID)
        scripted::raise(*published->bundleID);
}

}  // namespace vesk
