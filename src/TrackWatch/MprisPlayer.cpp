#include "TrackWatch/MprisPlayer.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QStringList>

#include <cmath>

namespace trackwatch {

namespace {
const QLatin1String kBusPrefix("org.mpris.MediaPlayer2.");

std::optional<QString> stringOf(const QVariant &value)
{
    if (value.metaType().id() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}
}  // namespace

std::optional<QVariantMap> variantMap(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QVariantMap)
        return value.toMap();
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const auto argument = value.value<QDBusArgument>();
        if (argument.currentSignature() != QLatin1String("a{sv}"))
            return std::nullopt;
        QVariantMap map;
        argument >> map;
        return map;
    }
    return std::nullopt;
}

std::optional<std::int64_t> integerOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::ULongLong: {
        const qulonglong v = value.toULongLong();
        return v > qulonglong(INT64_MAX) ? INT64_MAX : std::int64_t(v);
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return value.toLongLong();
    default:
        return std::nullopt;
    }
}

MprisTrack decodeMetadata(const QVariantMap &metadata)
{
    MprisTrack track;
    for (auto it = metadata.begin(); it != metadata.end(); ++it) {
        const QString &key = it.key();
        const QVariant &value = it.value();
        if (key == QLatin1String("xesam:title")) {
            track.title = stringOf(value);
        } else if (key == QLatin1String("xesam:artist")) {
            // A list of strings by the standard; a lone string is taken as one artist.
            if (value.metaType().id() == QMetaType::QStringList)
                track.artist = value.toStringList().join(QLatin1String(", "));
            else
                track.artist = stringOf(value);
        } else if (key == QLatin1String("xesam:album")) {
            track.album = stringOf(value);
        } else if (key == QLatin1String("mpris:length")) {
            if (auto micros = integerOf(value); micros && *micros >= 0)
                track.lengthSeconds = double(*micros) / 1e6;
        } else if (key == QLatin1String("mpris:artUrl")) {
            track.artUrl = stringOf(value);
        } else if (key == QLatin1String("mpris:trackid")) {
            if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
                track.trackId = value.value<QDBusObjectPath>().path();
            else if (auto text = stringOf(value))
                track.trackId = *text;
        }
    }
    return track;
}

QString MprisPlayer::clientIdentifier() const
{
    if (!desktopEntry.isEmpty())
        return desktopEntry;
    return busName.startsWith(kBusPrefix) ? busName.mid(kBusPrefix.size()) : busName;
}

MprisPlayer::Change MprisPlayer::apply(const QString &name, const QVariant &value)
{
    if (name == QLatin1String("Metadata")) {
        auto map = variantMap(value);
        if (!map)
            return Change::None;
        track = decodeMetadata(*map);
        return Change::Track;
    }
    if (name == QLatin1String("PlaybackStatus")) {
        auto status = stringOf(value);
        if (!status || *status == playbackStatus)
            return Change::None;
        playbackStatus = *status;
        return Change::Status;
    }
    if (name == QLatin1String("Rate")) {
        bool ok = false;
        const double r = value.toDouble(&ok);
        if (value.metaType().id() != QMetaType::Double || !ok || !std::isfinite(r))
            return Change::None;
        rate = r;
        return Change::Other;
    }
    if (name == QLatin1String("Shuffle")) {
        if (value.metaType().id() != QMetaType::Bool)
            return Change::None;
        shuffle = value.toBool();
        return Change::Other;
    }
    if (name == QLatin1String("LoopStatus")) {
        auto status = stringOf(value);
        if (!status)
            return Change::None;
        loopStatus = *status;
        return Change::Other;
    }
    return Change::None;
}

int chooseNowPlaying(const std::vector<const MprisPlayer *> &players)
{
    int best = -1;
    for (int i = 0; i < int(players.size()); ++i) {
        const MprisPlayer &p = *players[i];
        if (p.isPlaying() && (best < 0 || p.playSeq > players[best]->playSeq))
            best = i;
    }
    if (best >= 0)
        return best;
    for (int i = 0; i < int(players.size()); ++i) {
        const MprisPlayer &p = *players[i];
        if (p.track.hasTrack() && (best < 0 || p.activeSeq > players[best]->activeSeq))
            best = i;
    }
    return best;
}

std::optional<std::int32_t> shuffleModeNumber(const std::optional<bool> &shuffle)
{
    if (!shuffle)
        return std::nullopt;
    return *shuffle ? 3 : 1;
}

std::optional<std::int32_t> repeatModeNumber(const std::optional<QString> &loopStatus)
{
    if (!loopStatus)
        return std::nullopt;
    if (*loopStatus == QLatin1String("None"))
        return 1;
    if (*loopStatus == QLatin1String("Track"))
        return 2;
    if (*loopStatus == QLatin1String("Playlist"))
        return 3;
    return std::nullopt;
}

std::optional<QString> loopStatusForMode(std::int32_t mode)
{
    switch (mode) {
    case 1:
        return QStringLiteral("None");
    case 2:
        return QStringLiteral("Track");
    case 3:
        return QStringLiteral("Playlist");
    default:
        return std::nullopt;
    }
}

}  // namespace trackwatch
