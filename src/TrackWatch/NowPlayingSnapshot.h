#pragma once

// The now-playing information of one player at one moment, in the framework's dictionary form.
// It owns every string and byte that the dictionary points to.

#include "TrackWatch/MediaRemote.h"
#include "TrackWatch/MprisPlayer.h"

#include <QByteArray>

#include <deque>
#include <optional>
#include <vector>

namespace trackwatch {

class NowPlayingSnapshot {
public:
    // `positionMicros` and `readAt` (seconds since 1970) are the player's position and when it was
    // read, when the player answered; `artwork` is the image bytes, empty for none.
    NowPlayingSnapshot(const MprisPlayer &player, std::optional<std::int64_t> positionMicros, double readAt,
                       QByteArray artwork);

    NowPlayingSnapshot(const NowPlayingSnapshot &) = delete;
    NowPlayingSnapshot &operator=(const NowPlayingSnapshot &) = delete;

    const MRDictionary *dictionary() const { return &dictionary_; }

private:
    void addString(const char *key, const QString &value);
    void addNumber(const char *key, double value);
    void addInteger(const char *key, std::int64_t value);

    std::deque<QByteArray> strings_;  // a deque keeps the pointers handed out valid as it grows
    QByteArray artwork_;
    std::vector<MRDictionaryEntry> entries_;
    MRDictionary dictionary_{};
};

}  // namespace trackwatch
