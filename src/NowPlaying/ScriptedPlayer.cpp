#include "NowPlaying/ScriptedPlayer.h"

#include "Platform/DesktopApps.h"
#include "Base/Log.h"
#include "Base/MainQueue.h"
#include "Platform/MprisBus.h"
#include "Platform/WebFetcher.h"

#include <QDBusObjectPath>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <cmath>
#include <map>
#include <memory>

namespace vesk::scripted {

namespace {

const QString spotifyBus = QStringLiteral("org.mpris.MediaPlayer2.spotify");
constexpr qint64 maxArtworkBytes = 4 * 1024 * 1024;

struct MusicPlayer {
    bool resolved = false;
    std::optional<std::string> id;
};
MusicPlayer &musicPlayer()
{
    static MusicPlayer player;
    return player;
}

// The track each player last said it plays: SetPosition must name it.
std::map<QString, QString> &lastTrackIDs()
{
    static std::map<QString, QString> ids;
    return ids;
}

std::map<std::string, bool> &explicitCache()
{
    static std::map<std::string, bool> cache;
    return cache;
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// The value of a key when it has the type MPRIS gives it; else the item's default.
std::string text(const QVariantMap &map, const QString &key)
{
    const auto value = map.value(key);
    return value.typeId() == QMetaType::QString ? value.toString().toStdString() : std::string();
}

double number(const QVariantMap &map, const QString &key)
{
    const auto value = map.value(key);
    if (!isNumber(value))
        return 0;
    const double d = value.toDouble();
    return std::isfinite(d) ? d : 0;
}

bool flag(const QVariantMap &map, const QString &key)
{
    const auto value = map.value(key);
    return value.typeId() == QMetaType::Bool && value.toBool();
}

std::string artists(const QVariantMap &metadata)
{
    const auto value = metadata.value(QStringLiteral("xesam:artist"));
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    if (value.typeId() == QMetaType::QString)
        return value.toString().toStdString();
    return {};
}

std::string trackIDOf(const QVariantMap &metadata)
{
    const auto value = metadata.value(QStringLiteral("mpris:trackid"));
    if (value.canConvert<QDBusObjectPath>() && value.typeId() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path().toStdString();
    if (value.typeId() == QMetaType::QString)
        return value.toString().toStdString();
    return {};
}

int repeatModeOf(const QString &loopStatus)
{
    if (loopStatus == QStringLiteral("Track"))
        return 2;
    if (loopStatus == QStringLiteral("Playlist"))
        return 3;
    return 1;
}

void logFailure(ScriptedPlayer player, const QString &error)
{
    log(std::string("scripting ") + rawValue(player) + " failed: " + error.toStdString());
}

// A call on the player interface of a running player; failures are logged.
void callPlayer(ScriptedPlayer player, const QString &method, const QVariantList &arguments = {})
{
    const auto bus = busName(player);
    if (!bus)
        return;
    MprisBus::shared().call(*bus, QString::fromLatin1(MprisBus::playerInterface), method, arguments,
                            [player](const QString &error) {
                                if (!error.isEmpty())
                                    logFailure(player, error);
                            });
}

void setPlayerProperty(ScriptedPlayer player, const QString &property, const QVariant &value)
{
    const auto bus = busName(player);
    if (!bus)
        return;
    MprisBus::shared().setProperty(*bus, property, value, [player](const QString &error) {
        if (!error.isEmpty())
            logFailure(player, error);
    });
}

std::optional<ScriptedState> parseState(ScriptedPlayer player, const QVariantMap &values)
{
    const QString status = QString::fromStdString(text(values, QStringLiteral("PlaybackStatus")));
    if (status == QStringLiteral("Stopped"))
        return std::nullopt;
    QVariantMap metadata;
    if (const auto value = values.value(QStringLiteral("Metadata")); value.typeId() == QMetaType::QVariantMap)
        metadata = value.toMap();
    ScriptedState state;
    state.title = text(metadata, QStringLiteral("xesam:title"));
    state.artist = artists(metadata);
    state.album = text(metadata, QStringLiteral("xesam:album"));
    state.duration = number(metadata, QStringLiteral("mpris:length")) / 1e6;
    state.position = number(values, QStringLiteral("Position")) / 1e6;
    state.isPlaying = status == QStringLiteral("Playing");
    state.isShuffling = flag(values, QStringLiteral("Shuffle"));
    state.repeatMode = repeatModeOf(QString::fromStdString(text(values, QStringLiteral("LoopStatus"))));
    if (auto url = text(metadata, QStringLiteral("mpris:artUrl")); !url.empty())
        state.artworkURL = url;
    if (player == ScriptedPlayer::spotify)
        state.trackID = spotifyTrackID(trackIDOf(metadata));
    return state;
}

std::optional<QByteArray> readArtworkFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxArtworkBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(maxArtworkBytes + 1);
    if (bytes.size() > maxArtworkBytes)
        return std::nullopt;
    return bytes;
}

}  // namespace

const char *rawValue(ScriptedPlayer player)
{
    return player == ScriptedPlayer::spotify ? "spotify" : "music";
}

std::optional<std::string> musicPlayerID()
{
    if (!musicPlayer().resolved)
        lookUpMusicPlayer();
    return musicPlayer().id;
}

void lookUpMusicPlayer()
{
    auto &music = musicPlayer();
    music.resolved = true;
    music.id.reset();
    if (auto id = DesktopApps::shared().defaultApplication(QStringLiteral("audio/mpeg")))
        music.id = id->toStdString();
}

void forgetMusicPlayer()
{
    musicPlayer() = {};
    lastTrackIDs().clear();
}

std::optional<ScriptedPlayer> fromBundleID(const std::optional<std::string> &bundleID)
{
    if (!bundleID)
        return std::nullopt;
    const QString id = QString::fromStdString(*bundleID);
    if (id.compare(QStringLiteral("spotify"), Qt::CaseInsensitive) == 0
        || id.compare(QStringLiteral("com.spotify.client"), Qt::CaseInsensitive) == 0)
        return ScriptedPlayer::spotify;
    if (auto music = musicPlayerID(); music && *music == *bundleID)
        return ScriptedPlayer::music;
    return std::nullopt;
}

std::optional<std::string> bundleID(ScriptedPlayer player)
{
    if (player == ScriptedPlayer::spotify)
        return std::string("spotify");
    return musicPlayerID();
}

std::optional<QString> busName(ScriptedPlayer player)
{
    auto &bus = MprisBus::shared();
    if (player == ScriptedPlayer::spotify)
        return bus.hasOwner(spotifyBus) ? std::optional(spotifyBus) : std::nullopt;
    const auto id = musicPlayerID();
    if (!id)
        return std::nullopt;
    for (const auto &candidate : bus.players()) {
        if (MprisBus::identity(candidate).toStdString() == *id && bus.hasOwner(candidate.busName))
            return candidate.busName;
    }
    return std::nullopt;
}

std::optional<ScriptedPlayer> playerOfBusName(const QString &name)
{
    for (auto player : {ScriptedPlayer::spotify, ScriptedPlayer::music}) {
        if (busName(player) == name)
            return player;
    }
    return std::nullopt;
}

bool isRunning(ScriptedPlayer player) { return busName(player).has_value(); }

void fetchState(ScriptedPlayer player, std::function<void(std::optional<ScriptedState>)> done)
{
    const auto bus = busName(player);
    if (!bus) {
        done(std::nullopt);
        return;
    }
    MprisBus::shared().getAll(*bus, QString::fromLatin1(MprisBus::playerInterface),
                              [player, name = *bus, done = std::move(done)](std::optional<QVariantMap> values,
                                                                            const QString &error) {
                                  if (!values) {
                                      logFailure(player, error);
                                      done(std::nullopt);
                                      return;
                                  }
                                  lastTrackIDs()[name] = QString::fromStdString(
                                      trackIDOf(values->value(QStringLiteral("Metadata")).toMap()));
                                  done(parseState(player, *values));
                              });
}

void fetchArtwork(ScriptedPlayer player, const ScriptedState &state, std::function<void(std::optional<QByteArray>)> done)
{
    (void)player;
    const QUrl url(QString::fromStdString(state.artworkURL.value_or("")));
    if (url.isLocalFile()) {
        // Answered on a later turn, as every fetch is.
        mainQueue().post([path = url.toLocalFile(), done = std::move(done)] { done(readArtworkFile(path)); });
        return;
    }
    if (url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https")) {
        WebFetcher::Request request;
        request.url = url.toString();
        request.timeout = 5.0;
        request.maxBytes = maxArtworkBytes;
        WebFetcher::shared().get(request, std::move(done));
        return;
    }
    done(std::nullopt);
}

void playPause(ScriptedPlayer player) { callPlayer(player, QStringLiteral("PlayPause")); }
void nextTrack(ScriptedPlayer player) { callPlayer(player, QStringLiteral("Next")); }
void previousTrack(ScriptedPlayer player) { callPlayer(player, QStringLiteral("Previous")); }

void setPosition(ScriptedPlayer player, double seconds)
{
    const auto bus = busName(player);
    if (!bus)
        return;
    auto ask = [player, seconds](const QString &id) {
        const QDBusObjectPath path(id.startsWith(QLatin1Char('/')) ? id : QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
        callPlayer(player, QStringLiteral("SetPosition"),
                   {QVariant::fromValue(path), QVariant::fromValue(qlonglong(std::llround(seconds * 1e6)))});
    };
    // SetPosition names the track it means: the one last read, else read it first.
    if (auto it = lastTrackIDs().find(*bus); it != lastTrackIDs().end()) {
        ask(it->second);
        return;
    }
    MprisBus::shared().getAll(*bus, QString::fromLatin1(MprisBus::playerInterface),
                              [player, ask](std::optional<QVariantMap> values, const QString &error) {
                                  if (!values) {
                                      logFailure(player, error);
                                      return;
                                  }
                                  ask(QString::fromStdString(trackIDOf(values->value(QStringLiteral("Metadata")).toMap())));
                              });
}

void setShuffle(ScriptedPlayer player, bool on) { setPlayerProperty(player, QStringLiteral("Shuffle"), on); }

void setRepeat(ScriptedPlayer player, int mode)
{
    QString status;
    if (player == ScriptedPlayer::spotify)
        status = mode == 1 ? QStringLiteral("None") : QStringLiteral("Playlist");
    else
        status = mode == 2 ? QStringLiteral("Track") : mode == 3 ? QStringLiteral("Playlist") : QStringLiteral("None");
    setPlayerProperty(player, QStringLiteral("LoopStatus"), status);
}

void setLiked(ScriptedPlayer, bool) {}

std::string spotifyTrackID(const std::string &mprisTrackID)
{
    static const std::string prefix = "spotify:track:";
    static const std::string path = "/com/spotify/track/";
    if (mprisTrackID.rfind(prefix, 0) == 0)
        return mprisTrackID;
    if (mprisTrackID.rfind(path, 0) == 0 && mprisTrackID.size() > path.size())
        return prefix + mprisTrackID.substr(path.size());
    return {};
}

void isExplicit(const std::string &base, const std::string &spotifyTrackID, std::function<void(bool)> done)
{
    QString id = QString::fromStdString(spotifyTrackID);
    id.remove(QStringLiteral("spotify:track:"));
    if (id.isEmpty())
        return;
    for (const QChar c : id) {
        if (!c.isLetterOrNumber())
            return;
    }
    const std::string key = id.toStdString();
    if (auto it = explicitCache().find(key); it != explicitCache().end()) {
        done(it->second);
        return;
    }
    const QUrl url(QString::fromStdString(base) + QStringLiteral("/embed/track/") + id);
    if (!url.isValid())
        return;
    WebFetcher::Request request;
    request.url = url.toString();
    request.timeout = 8.0;
    request.maxBytes = 4 * 1024 * 1024;
    request.headers = {{"User-Agent",
                        "Mozilla/5.0 (Macintosh) AppleWebKit/605.1.15 (KHTML, like Gecko) Version/17.0 Safari/605.1.15"}};
    WebFetcher::shared().get(request, [key, done = std::move(done)](std::optional<QByteArray> body) {
        const QByteArray page = body.value_or(QByteArray());
        const bool explicitTrack = page.contains("\"isExplicit\":true");
        if (page.contains("\"isExplicit\":"))
            explicitCache()[key] = explicitTrack;
        done(explicitTrack);
    });
}

void forgetExplicitAnswers() { explicitCache().clear(); }

void raise(const std::string &bundleID)
{
    auto &bus = MprisBus::shared();
    for (const auto &player : bus.players()) {
        if (MprisBus::identity(player).toStdString() != bundleID)
            continue;
        const QString name = player.busName;
        bus.getAll(name, QString::fromLatin1(MprisBus::rootInterface),
                   [name](std::optional<QVariantMap> values, const QString &) {
                       if (!values || values->value(QStringLiteral("CanRaise")).typeId() != QMetaType::Bool
                           || !values->value(QStringLiteral("CanRaise")).toBool())
                           return;
                       MprisBus::shared().call(name, QString::fromLatin1(MprisBus::rootInterface),
                                               QStringLiteral("Raise"), {}, [](const QString &) {});
                   });
        return;
    }
}

}  // namespace vesk::scripted
