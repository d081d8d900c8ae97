#pragma once

// MediaRemote's view of the session bus: it follows every MPRIS player through the bus's owner
// changes and the players' PropertiesChanged and Seeked signals, keeps which one is now playing,
// answers the framework's queries about it and carries commands to it. With no session bus every
// query answers "nothing playing" and commands do nothing.

#include "TrackWatch/ArtworkStore.h"
#include "TrackWatch/MediaRemote.h"
#include "TrackWatch/MprisPlayer.h"
#include "TrackWatch/PlayerCommandQueue.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

#include <functional>
#include <map>
#include <set>
#include <vector>

// A client as handed to a callback: its identifier, owned for the callback's duration.
struct MRNowPlayingClient {
    QByteArray bundleIdentifier;
};

namespace trackwatch {

class NowPlayingSnapshot;

class MprisWatcher : public QObject {
    Q_OBJECT
public:
    // Must be created on the thread whose loop delivers the bus's signals (TrackWatch's main).
    explicit MprisWatcher(QObject *parent = nullptr);

    // Queries: each answers later through `queue`. Before the first look at the bus has finished
    // they wait for it.
    void nowPlayingInfo(const MRDispatchQueue *queue, std::function<void(const MRDictionary *)> answer);
    void isPlaying(const MRDispatchQueue *queue, std::function<void(bool)> answer);
    void client(const MRDispatchQueue *queue, std::function<void(const MRNowPlayingClient *)> answer);

    // Commands to the now-playing player; false when there is none or the command has no meaning.
    bool sendCommand(int command);
    void setElapsed(double seconds);
    void setShuffleMode(int mode);
    void setRepeatMode(int mode);

    // From now on, changes of the now-playing player are posted as the framework's notifications.
    void startNotifying() { notifying_ = true; }

private slots:
    void onNameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    void onPropertiesChanged(const QDBusMessage &message);
    void onSeeked(const QDBusMessage &message);

private:
    void scanBus();
    void loadPlayer(const QString &busName, const QString &owner);
    void finishLoading(const QString &busName, const QString &owner);
    void settleScan(const QString &busName);
    void whenReady(std::function<void()> work);
    MprisPlayer *playerByOwner(const QString &owner);
    MprisPlayer *current();
    MprisPlayer::Change apply(MprisPlayer &player, const QString &name, const QVariant &value);
    void reselect(const QString &changedBusName, MprisPlayer::Change change);
    void post(const char *notification);
    QDBusMessage playerCall(const MprisPlayer &player, const QString &method) const;
    void setPlayerProperty(const MprisPlayer &player, const QString &name, const QVariant &value);
    // Sends a command to a player through the command queue; `what` names what it sets outright
    // (empty for a step). False when the queue dropped it.
    bool callPlayer(const MprisPlayer &player, const QDBusMessage &message, const QString &what);

    QDBusConnection bus_;
    bool connected_ = false;
    bool ready_ = false;  // the first look at the bus has finished
    bool listed_ = false;  // the bus has listed its names
    bool notifying_ = false;
    std::set<QString> scanWaiting_;  // names the first look still waits for
    std::uint64_t sequence_ = 0;
    std::map<QString, MprisPlayer> players_;  // by bus name, so iteration is in bus-name order
    struct Loading {
        QString owner;
        int remaining = 0;  // answers still awaited
    };
    std::map<QString, Loading> loading_;  // players whose properties are being read
    QString currentName_;
    std::vector<std::function<void()>> waiting_;
    PlayerCommandQueue commands_;
    ArtworkStore artwork_;
};

}  // namespace trackwatch
