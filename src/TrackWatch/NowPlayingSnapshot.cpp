#include "TrackWatch/NowPlayingSnapshot.h"

namespace trackwatch {

NowPlayingSnapshot::NowPlayingSnapshot(const MprisPlayer &player, std::optional<std::int64_t> positionMicros,
                                       double readAt, QByteArray artwork)
    : artwork_(std::move(artwork))
{
    const MprisTrack &track = player.track;
    if (track.title)
        addString("kMRMediaRemoteNowPlayingInfoTitle", *track.title);
    if (track.artist)
        addString("kMRMediaRemoteNowPlayingInfoArtist", *track.artist);
    if (track.album)
        addString("kMRMediaRemoteNowPlayingInfoAlbum", *track.album);
    if (track.lengthSeconds)
        addNumber("kMRMediaRemoteNowPlayingInfoDuration", *track.lengthSeconds);
    if (positionMicros) {
        addNumber("kMRMediaRemoteNowPlayingInfoElapsedTime", double(*positionMicros) / 1e6);
        MRValue date{};
        date.type = MRValueTypeDate;
        date.number = readAt;
        entries_.push_back({"kMRMediaRemoteNowPlayingInfoTimestamp", date});
    }
    // A paused or stopped player does not advance, whatever rate it keeps.
    addNumber("kMRMediaRemoteNowPlayingInfoPlaybackRate", player.isPlaying() ? player.rate.value_or(1.0) : 0.0);
    if (auto mode = shuffleModeNumber(player.shuffle))
        addInteger("kMRMediaRemoteNowPlayingInfoShuffleMode", *mode);
    if (auto mode = repeatModeNumber(player.loopStatus))
        addInteger("kMRMediaRemoteNowPlayingInfoRepeatMode", *mode);
    if (!artwork_.isEmpty()) {
        MRValue data{};
        data.type = MRValueTypeData;
        data.bytes = reinterpret_cast<const std::uint8_t *>(artwork_.constData());
        data.length = std::size_t(artwork_.size());
        entries_.push_back({"kMRMediaRemoteNowPlayingInfoArtworkData", data});
    }
    dictionary_.count = entries_.size();
    dictionary_.entries = entries_.data();
}

void NowPlayingSnapshot::addString(const char *key, const QString &value)
{
    strings_.push_back(value.toUtf8());
    MRValue v{};
    v.type = MRValueTypeString;
    v.string = strings_.back().constData();
    entries_.push_back({key, v});
}

void NowPlayingSnapshot::addNumber(const char *key, double value)
{
    MRValue v{};
    v.type = MRValueTypeNumber;
    v.number = value;
    entries_.push_back({key, v});
}

void NowPlayingSnapshot::addInteger(const char *key, std::int64_t value)
{
    MRValue v{};
    v.type = MRValueTypeNumber;
    v.number = double(value);
    v.integer = value;
    v.isInteger = 1;
    entries_.push_back({key, v});
}

}  // namespace trackwatch
