#include "TrackWatch/MprisWatcher.h"

#include "TrackWatch/NotificationCenter.h"
#include "TrackWatch/NowPlayingSnapshot.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <memory>

namespace trackwatch {

namespace {
const QString kPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kBusService = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");
// A player that does not answer within this time is taken as it is known so far.
constexpr int kCallTimeoutMs = 2000;

// Hands `answer` to the caller's queue; the closure is freed once it has run.
void deliver(const MRDispatchQueue *queue, std::function<void()> answer)
{
    auto *work = new std::function<void()>(std::move(answer));
    queue->async(queue, [](void *context) {
        std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()> *>(context));
        (*run)();
    }, work);
}

double secondsSince1970Now()
{
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}
}  // namespace

MprisWatcher::MprisWatcher(QObject *parent)
    : QObject(parent), bus_(QDBusConnection::sessionBus()), artwork_(this)
{
    connected_ = bus_.isConnected();
    if (!connected_) {
        ready_ = true;
        return;
    }
    artwork_.onFetched = [this](const QString &url) {
        if (MprisPlayer *player = current(); player && player->track.artUrl == url)
            post(kMRMediaRemoteNowPlayingInfoDidChangeNotification);
    };
    bus_.connect(kBusService, kBusPath, kBusService, QStringLiteral("NameOwnerChanged"), this,
                 SLOT(onNameOwnerChanged(QString, QString, QString)));
    bus_.connect(QString(), kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                 SLOT(onPropertiesChanged(QDBusMessage)));
    bus_.connect(QString(), kPath, kPlayerInterface, QStringLiteral("Seeked"), this, SLOT(onSeeked(QDBusMessage)));
    scanBus();
}

void MprisWatcher::scanBus()
{
    auto *watcher = new QDBusPendingCallWatcher(
        bus_.asyncCall(QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, QStringLiteral("ListNames")),
                       kCallTimeoutMs),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        QDBusPendingReply<QStringList> reply = *call;
        const QStringList names = reply.isValid() ? reply.value() : QStringList();
        for (const QString &name : names) {
            if (!name.startsWith(kPrefix))
                continue;
            scanWaiting_.insert(name);
            auto *owner = new QDBusPendingCallWatcher(
                bus_.asyncCall(QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService,
                                                              QStringLiteral("GetNameOwner"))
                                   << name,
                               kCallTimeoutMs),
                this);
            connect(owner, &QDBusPendingCallWatcher::finished, this, [this, name](QDBusPendingCallWatcher *ownerCall) {
                ownerCall->deleteLater();
                QDBusPendingReply<QString> ownerReply = *ownerCall;
                if (loading_.count(name))
                    return;  // an owner change got there first; its load settles the name
                if (ownerReply.isValid() && !players_.count(name))
                    loadPlayer(name, ownerReply.value());
                else
                    settleScan(name);
            });
        }
        listed_ = true;
        settleScan(QString());
    });
}

void MprisWatcher::loadPlayer(const QString &busName, const QString &owner)
{
    MprisPlayer &player = players_[busName];
    player = MprisPlayer{};
    player.busName = busName;
    player.owner = owner;
    loading_[busName] = {owner, 2};

    // Addressed to the unique name, and never starting a service: a player that has just left must
    // not be brought back. `read` sees the answer only while the player is still the one asked.
    auto ask = [this, &busName, &owner](QDBusMessage message,
                                        std::function<void(MprisPlayer &, const QDBusPendingCall &)> read) {
        message.setAutoStartService(false);
        auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, busName, owner, read = std::move(read)](QDBusPendingCallWatcher *call) {
                    call->deleteLater();
                    auto it = players_.find(busName);
                    if (it != players_.end() && it->second.owner == owner)
                        read(it->second, *call);
                    finishLoading(busName, owner);
                });
    };

    ask(QDBusMessage::createMethodCall(owner, kPath, kProperties, QStringLiteral("GetAll")) << kPlayerInterface,
        [](MprisPlayer &asked, const QDBusPendingCall &call) {
            QDBusPendingReply<QVariantMap> reply = call;
            if (reply.isValid()) {
                const QVariantMap properties = reply.value();
                for (auto p = properties.begin(); p != properties.end(); ++p)
                    asked.apply(p.key(), p.value());
            }
        });
    ask(QDBusMessage::createMethodCall(owner, kPath, kProperties, QStringLiteral("Get"))
            << kRootInterface << QStringLiteral("DesktopEntry"),
        [](MprisPlayer &asked, const QDBusPendingCall &call) {
            QDBusPendingReply<QDBusVariant> reply = call;
            if (reply.isValid() && reply.value().variant().metaType().id() == QMetaType::QString)
                asked.desktopEntry = reply.value().variant().toString();
        });
}

void MprisWatcher::finishLoading(const QString &busName, const QString &owner)
{
    // Answers for an owner that has since left or been replaced change nothing.
    auto loading = loading_.find(busName);
    if (loading == loading_.end() || loading->second.owner != owner || --loading->second.remaining > 0)
        return;
    loading_.erase(loading);
    if (!ready_) {
        settleScan(busName);
        return;
    }
    // A player that appeared while running: its arrival counts as its latest activity.
    MprisPlayer &player = players_[busName];
    player.activeSeq = ++sequence_;
    if (player.isPlaying())
        player.playSeq = player.activeSeq;
    reselect(busName, MprisPlayer::Change::Other);
}

void MprisWatcher::settleScan(const QString &busName)
{
    scanWaiting_.erase(busName);
    if (ready_ || !listed_ || !scanWaiting_.empty())
        return;
    // At start the first playing player in bus-name order is chosen, else the first with a track:
    // earlier names get the more recent activity.
    for (auto it = players_.rbegin(); it != players_.rend(); ++it) {
        it->second.activeSeq = ++sequence_;
        if (it->second.isPlaying())
            it->second.playSeq = it->second.activeSeq;
    }
    ready_ = true;
    // The first choice is no change: the queries waiting for it report it.
    const bool wasNotifying = notifying_;
    notifying_ = false;
    reselect(QString(), MprisPlayer::Change::None);
    notifying_ = wasNotifying;
    auto waiting = std::move(waiting_);
    for (auto &work : waiting)
        work();
}

void MprisWatcher::whenReady(std::function<void()> work)
{
    if (ready_)
        work();
    else
        waiting_.push_back(std::move(work));
}

MprisPlayer *MprisWatcher::playerByOwner(const QString &owner)
{
    for (auto &[name, player] : players_) {
        if (player.owner == owner && !loading_.count(name))
            return &player;
    }
    return nullptr;
}

MprisPlayer *MprisWatcher::current()
{
    auto it = players_.find(currentName_);
    return it == players_.end() ? nullptr : &it->second;
}

void MprisWatcher::reselect(const QString &changedBusName, MprisPlayer::Change change)
{
    std::vector<const MprisPlayer *> candidates;
    for (const auto &[name, player] : players_) {
        if (!loading_.count(name))
            candidates.push_back(&player);
    }
    const int chosen = chooseNowPlaying(candidates);
    const QString name = chosen < 0 ? QString() : candidates[chosen]->busName;
    if (name != currentName_) {
        currentName_ = name;
        post(kMRMediaRemoteNowPlayingApplicationDidChangeNotification);
        return;
    }
    if (changedBusName.isEmpty() || changedBusName != currentName_)
        return;
    if (change == MprisPlayer::Change::Status)
        post(kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification);
    else if (change != MprisPlayer::Change::None)
        post(kMRMediaRemoteNowPlayingInfoDidChangeNotification);
}

void MprisWatcher::post(const char *notification)
{
    if (notifying_)
        NotificationCenter::post(QString::fromLatin1(notification));
}

void MprisWatcher::onNameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner)
{
    if (!name.startsWith(kPrefix))
        return;
    if (newOwner.isEmpty()) {
        loading_.erase(name);
        players_.erase(name);
    } else {
        loadPlayer(name, newOwner);
        if (!ready_)
            scanWaiting_.insert(name);  // the first look at the bus waits for it too
    }
    if (ready_)
        reselect(QString(), MprisPlayer::Change::None);  // a player being (re)loaded is no candidate yet
    else if (newOwner.isEmpty())
        settleScan(name);
}

void MprisWatcher::onPropertiesChanged(const QDBusMessage &message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2)
        return;
    MprisPlayer *player = playerByOwner(message.service());
    if (!player)
        return;
    const QString interface = args[0].toString();
    const auto changed = variantMap(args[1]);
    if (!changed)
        return;
    if (interface == kRootInterface) {
        if (auto it = changed->find(QStringLiteral("DesktopEntry"));
            it != changed->end() && it->metaType().id() == QMetaType::QString)
            player->desktopEntry = it->toString();
        return;
    }
    if (interface != kPlayerInterface)
        return;
    // One notification for the signal: a change of playing state outranks the others.
    MprisPlayer::Change strongest = MprisPlayer::Change::None;
    for (auto it = changed->begin(); it != changed->end(); ++it) {
        strongest = std::max(strongest, apply(*player, it.key(), it.value()));
    }
    // Properties that changed without their values: ask for them.
    if (args.size() >= 3) {
        const QStringList invalidated = args[2].toStringList();
        for (const QString &property : invalidated) {
            auto get = QDBusMessage::createMethodCall(player->owner, kPath, kProperties, QStringLiteral("Get"))
                << kPlayerInterface << property;
            get.setAutoStartService(false);
            auto *call = new QDBusPendingCallWatcher(bus_.asyncCall(get, kCallTimeoutMs), this);
            const QString busName = player->busName;
            connect(call, &QDBusPendingCallWatcher::finished, this, [this, busName, property](QDBusPendingCallWatcher *c) {
                c->deleteLater();
                QDBusPendingReply<QDBusVariant> reply = *c;
                auto it = players_.find(busName);
                if (!reply.isValid() || it == players_.end())
                    return;
                reselect(busName, apply(it->second, property, reply.value().variant()));
            });
        }
    }
    reselect(player->busName, strongest);
}

MprisPlayer::Change MprisWatcher::apply(MprisPlayer &player, const QString &name, const QVariant &value)
{
    const auto change = player.apply(name, value);
    // A new playing state or a new track is activity; starting to play is also the latest start.
    if (change == MprisPlayer::Change::Status || change == MprisPlayer::Change::Track) {
        player.activeSeq = ++sequence_;
        if (change == MprisPlayer::Change::Status && player.isPlaying())
            player.playSeq = player.activeSeq;
    }
    return change;
}

void MprisWatcher::onSeeked(const QDBusMessage &message)
{
    if (MprisPlayer *player = playerByOwner(message.service()))
        reselect(player->busName, MprisPlayer::Change::Other);
}

void MprisWatcher::nowPlayingInfo(const MRDispatchQueue *queue, std::function<void(const MRDictionary *)> answer)
{
    whenReady([this, queue, answer = std::move(answer)]() mutable {
        MprisPlayer *player = current();
        if (!player) {
            deliver(queue, [answer] { answer(nullptr); });
            return;
        }
        // The position is not announced by players; it is read at every query.
        auto get = QDBusMessage::createMethodCall(player->owner, kPath, kProperties, QStringLiteral("Get"))
            << kPlayerInterface << QStringLiteral("Position");
        get.setAutoStartService(false);
        auto *call = new QDBusPendingCallWatcher(bus_.asyncCall(get, kCallTimeoutMs), this);
        const QString busName = player->busName;
        connect(call, &QDBusPendingCallWatcher::finished, this,
                [this, queue, busName, answer = std::move(answer)](QDBusPendingCallWatcher *c) {
                    c->deleteLater();
                    const double readAt = secondsSince1970Now();
                    QDBusPendingReply<QDBusVariant> reply = *c;
                    std::optional<std::int64_t> position;
                    if (reply.isValid())
                        position = integerOf(reply.value().variant());
                    auto it = players_.find(busName);
                    if (it == players_.end()) {
                        deliver(queue, [answer] { answer(nullptr); });
                        return;
                    }
                    const MprisPlayer &player = it->second;
                    QByteArray art = player.track.artUrl ? artwork_.artwork(*player.track.artUrl) : QByteArray();
                    auto snapshot = std::make_shared<NowPlayingSnapshot>(player, position, readAt, std::move(art));
                    deliver(queue, [answer, snapshot] { answer(snapshot->dictionary()); });
                });
    });
}

void MprisWatcher::isPlaying(const MRDispatchQueue *queue, std::function<void(bool)> answer)
{
    whenReady([this, queue, answer = std::move(answer)] {
        const bool playing = current() && current()->isPlaying();
        deliver(queue, [answer, playing] { answer(playing); });
    });
}

void MprisWatcher::client(const MRDispatchQueue *queue, std::function<void(const MRNowPlayingClient *)> answer)
{
    whenReady([this, queue, answer = std::move(answer)] {
        std::shared_ptr<MRNowPlayingClient> client;
        if (MprisPlayer *player = current())
            client = std::make_shared<MRNowPlayingClient>(MRNowPlayingClient{player->clientIdentifier().toUtf8()});
        deliver(queue, [answer, client] { answer(client.get()); });
    });
}

QDBusMessage MprisWatcher::playerCall(const MprisPlayer &player, const QString &method) const
{
    auto message = QDBusMessage::createMethodCall(player.owner, kPath, kPlayerInterface, method);
    message.setAutoStartService(false);
    return message;
}

void MprisWatcher::setPlayerProperty(const MprisPlayer &player, const QString &name, const QVariant &value)
{
    auto message = QDBusMessage::createMethodCall(player.owner, kPath, kProperties, QStringLiteral("Set"))
        << kPlayerInterface << name << QVariant::fromValue(QDBusVariant(value));
    message.setAutoStartService(false);
    callPlayer(player, message, name);
}

bool MprisWatcher::callPlayer(const MprisPlayer &player, const QDBusMessage &message, const QString &what)
{
    // A setting replaces a waiting one of the same player only.
    const std::string key = what.isEmpty() ? std::string() : (player.owner + u'\n' + what).toStdString();
    return commands_.submit(key, [this, message] {
        auto *call = new QDBusPendingCallWatcher(bus_.asyncCall(message, kCallTimeoutMs), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *c) {
            c->deleteLater();
            commands_.finished();
        });
    });
}

bool MprisWatcher::sendCommand(int command)
{
    MprisPlayer *player = current();
    if (!player)
        return false;
    // Playing or paused is a setting; the toggle and the track steps are steps.
    const QString playing = QStringLiteral("playing");
    switch (command) {
    case MRCommandPlay:
        return callPlayer(*player, playerCall(*player, QStringLiteral("Play")), playing);
    case MRCommandPause:
        return callPlayer(*player, playerCall(*player, QStringLiteral("Pause")), playing);
    case MRCommandTogglePlayPause:
        return callPlayer(*player, playerCall(*player, QStringLiteral("PlayPause")), QString());
    case MRCommandNextTrack:
        return callPlayer(*player, playerCall(*player, QStringLiteral("Next")), QString());
    case MRCommandPreviousTrack:
        return callPlayer(*player, playerCall(*player, QStringLiteral("Previous")), QString());
    case MRCommandAdvanceShuffleMode:
        setPlayerProperty(*player, QStringLiteral("Shuffle"), !player->shuffle.value_or(false));
        return true;
    case MRCommandAdvanceRepeatMode:
        setPlayerProperty(*player, QStringLiteral("LoopStatus"),
                          player->loopStatus.value_or(QStringLiteral("None")) == QLatin1String("None")
                              ? QStringLiteral("Playlist")
                              : QStringLiteral("None"));
        return true;
    default:
        return false;  // like and the rest have no MPRIS counterpart
    }
}

void MprisWatcher::setElapsed(double seconds)
{
    MprisPlayer *player = current();
    // A position that is not a number, or beyond what 64 bits of microseconds hold, is not sent.
    if (!player || !std::isfinite(seconds) || std::abs(seconds) > 9.2e12)
        return;
    const QDBusObjectPath track(player->track.trackId);
    if (track.path().isEmpty())
        return;
    auto message = playerCall(*player, QStringLiteral("SetPosition"));
    message << QVariant::fromValue(track) << qlonglong(std::llround(std::max(seconds, 0.0) * 1e6));
    callPlayer(*player, message, QStringLiteral("position"));
}

void MprisWatcher::setShuffleMode(int mode)
{
    MprisPlayer *player = current();
    if (!player || mode < 1)
        return;
    setPlayerProperty(*player, QStringLiteral("Shuffle"), mode >= 2);
}

void MprisWatcher::setRepeatMode(int mode)
{
    MprisPlayer *player = current();
    auto status = loopStatusForMode(mode);
    if (player && status)
        setPlayerProperty(*player, QStringLiteral("LoopStatus"), *status);
}

}  // namespace trackwatch
