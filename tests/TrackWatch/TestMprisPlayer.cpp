#include "TestMprisPlayer.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDateTime>

namespace vesk::test {

namespace {
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
public:
    RootAdaptor(TestMprisPlayer *player) : QDBusAbstractAdaptor(player), player_(player) {}
    bool canQuit() const { return false; }
    bool canRaise() const { return false; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Vesk Test Player"); }
    QString desktopEntry() const { return player_->desktopEntry(); }
    QStringList none() const { return {}; }
public slots:
    void Raise() {}
    void Quit() {}

private:
    TestMprisPlayer *player_;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ yes)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ yes)
    Q_PROPERTY(bool CanControl READ yes)
public:
    PlayerAdaptor(TestMprisPlayer *player) : QDBusAbstractAdaptor(player), player_(player) {}
    QString playbackStatus() const { return player_->playbackStatus(); }
    QString loopStatus() const { return player_->loopStatus(); }
    void setLoopStatus(const QString &s)
    {
        player_->calls << QStringLiteral("Set LoopStatus");
        player_->setLoopStatus(s);
    }
    double rate() const { return player_->rate(); }
    void setRate(double r) { player_->setRate(r); }
    bool shuffle() const { return player_->shuffle(); }
    void setShuffle(bool s)
    {
        player_->calls << QStringLiteral("Set Shuffle");
        player_->setShuffle(s);
    }
    QVariantMap metadata() const { return player_->metadata(); }
    double volume() const { return 1.0; }
    qlonglong position() const { return player_->positionMicros(); }
    double minimumRate() const { return 0.5; }
    double maximumRate() const { return 2.0; }
    bool yes() const { return true; }

public slots:
    void Next() { player_->next(); }
    void Previous() { player_->previous(); }
    void Pause() { player_->pause(); }
    void PlayPause() { player_->playPause(); }
    void Stop() { player_->stop(); }
    void Play() { player_->play(); }
    void Seek(qlonglong offset) { player_->seek(offset); }
    void SetPosition(const QDBusObjectPath &track, qlonglong position) { player_->setPosition(track.path(), position); }
    void OpenUri(const QString &) {}

signals:
    void Seeked(qlonglong position);

private:
    TestMprisPlayer *player_;
};
}  // namespace

TestMprisPlayer::TestMprisPlayer(const QString &suffix, const QString &busAddress, QObject *parent)
    : QObject(parent),
      connection_(busAddress.isEmpty()
                      ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("vesk-test-player-") + suffix)
                      : QDBusConnection::connectToBus(busAddress, QStringLiteral("vesk-test-player-") + suffix)),
      busName_(QStringLiteral("org.mpris.MediaPlayer2.") + suffix)
{
    new RootAdaptor(this);
    new PlayerAdaptor(this);
    registered_ = connection_.isConnected() && connection_.registerObject(kPath, this)
        && connection_.registerService(busName_);
}

TestMprisPlayer::~TestMprisPlayer()
{
    if (registered_) {
        connection_.unregisterService(busName_);
        connection_.unregisterObject(kPath);
    }
    QDBusConnection::disconnectFromBus(connection_.name());
}

void TestMprisPlayer::setTracks(std::vector<TestTrack> tracks, int index)
{
    tracks_ = std::move(tracks);
    rawMetadata_.reset();
    switchTo(index);
}

TestTrack TestMprisPlayer::track() const
{
    return index_ < int(tracks_.size()) ? tracks_[index_] : TestTrack{};
}

void TestMprisPlayer::setTitle(const QString &title)
{
    if (index_ >= int(tracks_.size()))
        return;
    tracks_[index_].title = title;
    emitChanged({{QStringLiteral("Metadata"), metadata()}});
}

void TestMprisPlayer::setRawMetadata(const QVariantMap &metadata)
{
    rawMetadata_ = metadata;
    emitChanged({{QStringLiteral("Metadata"), metadata}});
}

void TestMprisPlayer::setPlaybackStatus(const QString &status)
{
    if (status == status_)
        return;
    basePosition_ = positionMicros();
    baseTimeMs_ = nowMs();
    status_ = status;
    emitChanged({{QStringLiteral("PlaybackStatus"), status_}});
}

void TestMprisPlayer::sync()
{
    // The bus answers a connection's messages in the order they came; its reply comes after it has
    // passed on every signal sent before the call.
    connection_.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
}

void TestMprisPlayer::setShuffle(bool shuffle)
{
    shuffle_ = shuffle;
    emitChanged({{QStringLiteral("Shuffle"), shuffle_}});
}

void TestMprisPlayer::setLoopStatus(const QString &status)
{
    loopStatus_ = status;
    emitChanged({{QStringLiteral("LoopStatus"), loopStatus_}});
}

void TestMprisPlayer::setRate(double rate)
{
    basePosition_ = positionMicros();
    baseTimeMs_ = nowMs();
    rate_ = rate;
    emitChanged({{QStringLiteral("Rate"), rate_}});
}

void TestMprisPlayer::setPositionMicros(qlonglong position)
{
    basePosition_ = position;
    baseTimeMs_ = nowMs();
    QDBusMessage seeked = QDBusMessage::createSignal(kPath, kPlayerInterface, QStringLiteral("Seeked"));
    seeked << position;
    connection_.send(seeked);
}

qlonglong TestMprisPlayer::positionMicros() const
{
    if (status_ != QLatin1String("Playing"))
        return basePosition_;
    return basePosition_ + qlonglong(double(nowMs() - baseTimeMs_) * 1000.0 * rate_);
}

QString TestMprisPlayer::trackId() const
{
    return QStringLiteral("/org/vesk/test/track/%1").arg(index_);
}

QVariantMap TestMprisPlayer::metadata() const
{
    if (rawMetadata_)
        return *rawMetadata_;
    if (index_ >= int(tracks_.size()))
        return {{QStringLiteral("mpris:trackid"),
                 QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
    const TestTrack &t = tracks_[index_];
    QVariantMap map{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId()))},
        {QStringLiteral("xesam:title"), t.title},
        {QStringLiteral("xesam:artist"), t.artists},
        {QStringLiteral("xesam:album"), t.album},
        {QStringLiteral("mpris:length"), t.lengthMicros},
    };
    if (!t.artUrl.isEmpty())
        map.insert(QStringLiteral("mpris:artUrl"), t.artUrl);
    return map;
}

void TestMprisPlayer::play()
{
    calls << QStringLiteral("Play");
    setPlaybackStatus(QStringLiteral("Playing"));
}

void TestMprisPlayer::pause()
{
    calls << QStringLiteral("Pause");
    setPlaybackStatus(QStringLiteral("Paused"));
}

void TestMprisPlayer::playPause()
{
    calls << QStringLiteral("PlayPause");
    setPlaybackStatus(status_ == QLatin1String("Playing") ? QStringLiteral("Paused") : QStringLiteral("Playing"));
}

void TestMprisPlayer::stop()
{
    calls << QStringLiteral("Stop");
    setPlaybackStatus(QStringLiteral("Stopped"));
}

void TestMprisPlayer::next()
{
    calls << QStringLiteral("Next");
    if (index_ + 1 < int(tracks_.size()))
        switchTo(index_ + 1);
}

void TestMprisPlayer::previous()
{
    calls << QStringLiteral("Previous");
    if (index_ > 0)
        switchTo(index_ - 1);
}

void TestMprisPlayer::setPosition(const QString &trackId, qlonglong position)
{
    calls << QStringLiteral("SetPosition");
    if (trackId != this->trackId() || position < 0 || position > track().lengthMicros)
        return;
    setPositionMicros(position);
}

void TestMprisPlayer::seek(qlonglong offset)
{
    calls << QStringLiteral("Seek");
    setPositionMicros(std::max<qlonglong>(0, positionMicros() + offset));
}

void TestMprisPlayer::switchTo(int index)
{
    index_ = index;
    basePosition_ = 0;
    baseTimeMs_ = nowMs();
    emitChanged({{QStringLiteral("Metadata"), metadata()}});
}

void TestMprisPlayer::emitChanged(const QVariantMap &changed)
{
    if (!registered_)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    connection_.send(signal);
}

}  // namespace vesk::test

#include "TestMprisPlayer.moc"
