#pragma once

// A media player on the session bus for the tests: it publishes the MPRIS 2.2 root and player
// interfaces under its own bus name and connection, emits PropertiesChanged and Seeked as real
// players do, and records the methods it was called with. Tests drive it through its setters; it
// answers the bus only while the test's event loop runs (waitFor does).

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <vector>

namespace vesk::test {

struct TestTrack {
    QString title;
    QStringList artists;
    QString album;
    qlonglong lengthMicros = 0;
    QString artUrl;
};

class TestMprisPlayer : public QObject {
    Q_OBJECT
public:
    // Registers org.mpris.MediaPlayer2.<suffix> on the bus at `busAddress` (the session bus when
    // empty); `isRegistered()` says whether that worked.
    explicit TestMprisPlayer(const QString &suffix, const QString &busAddress = QString(), QObject *parent = nullptr);
    ~TestMprisPlayer() override;

    bool isRegistered() const { return registered_; }
    QString busName() const { return busName_; }

    void setTracks(std::vector<TestTrack> tracks, int index = 0);
    TestTrack track() const;
    void setTitle(const QString &title);
    // Publishes `metadata` as it stands, whatever the types of its values.
    void setRawMetadata(const QVariantMap &metadata);
    void setPlaybackStatus(const QString &status);  // "Playing", "Paused", "Stopped"
    void setShuffle(bool shuffle);
    void setLoopStatus(const QString &status);
    void setRate(double rate);
    void setPositionMicros(qlonglong position);
    void setDesktopEntry(const QString &entry) { desktopEntry_ = entry; }
    // Returns once the bus has taken everything this player sent so far. Each player has a
    // connection of its own, and the bus gives no order between connections: a test that needs
    // one player's change to arrive before another's waits for the first.
    void sync();

    QString playbackStatus() const { return status_; }
    bool shuffle() const { return shuffle_; }
    QString loopStatus() const { return loopStatus_; }
    double rate() const { return rate_; }
    qlonglong positionMicros() const;
    QString desktopEntry() const { return desktopEntry_; }
    QVariantMap metadata() const;
    QString trackId() const;

    // Method names as called over the bus, in order ("Pause", "SetPosition", ...).
    QStringList calls;

    // Called by the adaptors.
    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void setPosition(const QString &trackId, qlonglong position);
    void seek(qlonglong offset);

private:
    void emitChanged(const QVariantMap &changed);
    void switchTo(int index);

    QDBusConnection connection_;
    QString busName_;
    bool registered_ = false;
    std::vector<TestTrack> tracks_;
    int index_ = 0;
    std::optional<QVariantMap> rawMetadata_;
    QString status_ = QStringLiteral("Stopped");
    bool shuffle_ = false;
    QString loopStatus_ = QStringLiteral("None");
    double rate_ = 1.0;
    QString desktopEntry_;
    qlonglong basePosition_ = 0;
    qint64 baseTimeMs_ = 0;  // when basePosition_ was true, for a playing player
};

}  // namespace vesk::test
