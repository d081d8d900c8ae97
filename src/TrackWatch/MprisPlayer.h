#pragma once

// What MediaRemote knows of one MPRIS player on the bus, decoded from its properties, and the rule
// that picks the player that is "now playing".

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <vector>

namespace trackwatch {

// The track of a player's `Metadata`; a key whose D-Bus type is not the expected one is left out.
struct MprisTrack {
    std::optional<QString> title;
    std::optional<QString> artist;  // the artists joined with ", "
    std::optional<QString> album;
    std::optional<double> lengthSeconds;
    std::optional<QString> artUrl;
    QString trackId;  // object path, for SetPosition

    bool hasTrack() const { return title && !title->isEmpty(); }
};

MprisTrack decodeMetadata(const QVariantMap &metadata);

// A map of string to variant, whether it arrived as a map or still marshalled; nothing when the
// value is something else.
std::optional<QVariantMap> variantMap(const QVariant &value);

// A whole number of any D-Bus integer type; nothing for any other type.
std::optional<std::int64_t> integerOf(const QVariant &value);

struct MprisPlayer {
    QString busName;  // org.mpris.MediaPlayer2.<suffix>
    QString owner;    // the unique name that sends its signals
    QString desktopEntry;
    MprisTrack track;
    QString playbackStatus;
    std::optional<double> rate;
    std::optional<bool> shuffle;
    std::optional<QString> loopStatus;
    // Activity order: playSeq when it last started playing, activeSeq when its state or track last
    // changed; larger is more recent.
    std::uint64_t playSeq = 0;
    std::uint64_t activeSeq = 0;

    bool isPlaying() const { return playbackStatus == QLatin1String("Playing"); }
    // The client identifier: the desktop entry, else the bus name's suffix.
    QString clientIdentifier() const;

    // What changed when a property was applied, the weightiest last.
    enum class Change { None, Other, Track, Status };
    // Applies one property of the Player interface; a value of an unexpected type is skipped.
    Change apply(const QString &name, const QVariant &value);
};

// The index of the now-playing player: the one that most recently started playing; when none
// plays, the most recently active one that has a track; -1 when there is none.
int chooseNowPlaying(const std::vector<const MprisPlayer *> &players);

// The platform's mode numbers: shuffle off 1, on 3; repeat None 1, Track 2, Playlist 3.
std::optional<std::int32_t> shuffleModeNumber(const std::optional<bool> &shuffle);
std::optional<std::int32_t> repeatModeNumber(const std::optional<QString> &loopStatus);
std::optional<QString> loopStatusForMode(std::int32_t mode);

}  // namespace trackwatch
