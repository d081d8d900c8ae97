#include "TrackWatch/ArtworkStore.h"
#include "TrackWatch/MprisPlayer.h"
#include "TrackWatch/NowPlayingSnapshot.h"

#include "TestSupport.h"

#include <QDBusObjectPath>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

#include <sys/stat.h>
#include <string>

using namespace trackwatch;

namespace {

QVariantMap fullMetadata()
{
    return {
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/track/1")))},
        {QStringLiteral("xesam:title"), QStringLiteral("Title")},
        {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}},
        {QStringLiteral("xesam:album"), QStringLiteral("Album")},
        {QStringLiteral("mpris:length"), qlonglong(245'500'000)},
        {QStringLiteral("mpris:artUrl"), QStringLiteral("file:///tmp/a.png")},
    };
}

TEST(MprisMetadataTest, DecodesTheStandardKeys)
{
    MprisTrack t = decodeMetadata(fullMetadata());
    EXPECT_EQ(t.title, QStringLiteral("Title"));
    EXPECT_EQ(t.artist, QStringLiteral("A, B, C"));
    EXPECT_EQ(t.album, QStringLiteral("Album"));
    EXPECT_DOUBLE_EQ(t.lengthSeconds.value_or(0), 245.5);
    EXPECT_EQ(t.artUrl, QStringLiteral("file:///tmp/a.png"));
    EXPECT_EQ(t.trackId, QStringLiteral("/track/1"));
    EXPECT_TRUE(t.hasTrack());
}

TEST(MprisMetadataTest, UnexpectedTypesAreSkippedKeyByKey)
{
    QVariantMap metadata = fullMetadata();
    metadata[QStringLiteral("xesam:title")] = 12;
    metadata[QStringLiteral("xesam:album")] = QStringList{QStringLiteral("x")};
    metadata[QStringLiteral("mpris:length")] = QStringLiteral("245");
    metadata[QStringLiteral("mpris:artUrl")] = 3.5;
    MprisTrack t = decodeMetadata(metadata);
    EXPECT_FALSE(t.title);
    EXPECT_FALSE(t.album);
    EXPECT_FALSE(t.lengthSeconds);
    EXPECT_FALSE(t.artUrl);
    EXPECT_EQ(t.artist, QStringLiteral("A, B, C"));
    EXPECT_FALSE(t.hasTrack());

    // Integer widths other than the standard's, and a lone artist string, are still understood;
    // a negative length is not a length.
    metadata[QStringLiteral("mpris:length")] = qulonglong(3'000'000);
    metadata[QStringLiteral("xesam:artist")] = QStringLiteral("Solo");
    t = decodeMetadata(metadata);
    EXPECT_DOUBLE_EQ(t.lengthSeconds.value_or(0), 3.0);
    EXPECT_EQ(t.artist, QStringLiteral("Solo"));
    metadata[QStringLiteral("mpris:length")] = qlonglong(-1);
    EXPECT_FALSE(decodeMetadata(metadata).lengthSeconds);
}

TEST(MprisPlayerTest, ApplyReportsWhatChangedAndSkipsWrongTypes)
{
    MprisPlayer p;
    EXPECT_EQ(p.apply(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing")), MprisPlayer::Change::Status);
    EXPECT_EQ(p.apply(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing")), MprisPlayer::Change::None);
    EXPECT_EQ(p.apply(QStringLiteral("PlaybackStatus"), 1), MprisPlayer::Change::None);
    EXPECT_TRUE(p.isPlaying());
    EXPECT_EQ(p.apply(QStringLiteral("Metadata"), fullMetadata()), MprisPlayer::Change::Track);
    EXPECT_EQ(p.apply(QStringLiteral("Metadata"), QStringLiteral("nope")), MprisPlayer::Change::None);
    EXPECT_EQ(p.track.title, QStringLiteral("Title"));
    EXPECT_EQ(p.apply(QStringLiteral("Shuffle"), QStringLiteral("true")), MprisPlayer::Change::None);
    EXPECT_EQ(p.apply(QStringLiteral("Shuffle"), true), MprisPlayer::Change::Other);
    EXPECT_EQ(p.apply(QStringLiteral("Rate"), std::numeric_limits<double>::quiet_NaN()), MprisPlayer::Change::None);
    EXPECT_EQ(p.apply(QStringLiteral("Rate"), 1.5), MprisPlayer::Change::Other);
    EXPECT_EQ(p.apply(QStringLiteral("Volume"), 0.3), MprisPlayer::Change::None);
}

TEST(MprisPlayerTest, ClientIdentifierIsTheDesktopEntryElseTheBusNameSuffix)
{
    MprisPlayer p;
    p.busName = QStringLiteral("org.mpris.MediaPlayer2.vlc.instance42");
    EXPECT_EQ(p.clientIdentifier(), QStringLiteral("vlc.instance42"));
    p.desktopEntry = QStringLiteral("org.videolan.VLC");
    EXPECT_EQ(p.clientIdentifier(), QStringLiteral("org.videolan.VLC"));
}

TEST(ChooseNowPlayingTest, MostRecentlyStartedPlayerElseMostRecentlyActiveWithATrack)
{
    auto make = [](bool playing, bool track, std::uint64_t playSeq, std::uint64_t activeSeq) {
        MprisPlayer p;
        p.playbackStatus = playing ? QStringLiteral("Playing") : QStringLiteral("Paused");
        if (track)
            p.track.title = QStringLiteral("T");
        p.playSeq = playSeq;
        p.activeSeq = activeSeq;
        return p;
    };
    MprisPlayer a = make(true, true, 5, 9), b = make(true, false, 7, 7), c = make(false, true, 0, 10);
    EXPECT_EQ(chooseNowPlaying({&a, &b, &c}), 1) << "playing wins over more recent activity, even without a track";
    b.playbackStatus = QStringLiteral("Stopped");
    EXPECT_EQ(chooseNowPlaying({&a, &b, &c}), 0);
    a.playbackStatus = QStringLiteral("Paused");
    EXPECT_EQ(chooseNowPlaying({&a, &b, &c}), 2);
    c.track.title = QString();  // an empty title is no track
    EXPECT_EQ(chooseNowPlaying({&a, &b, &c}), 0);
    a.track.title.reset();
    EXPECT_EQ(chooseNowPlaying({&a, &b, &c}), -1);
    EXPECT_EQ(chooseNowPlaying({}), -1);
}

TEST(ModeNumbersTest, ShuffleAndLoopStatusMapToThePlatformNumbers)
{
    EXPECT_EQ(shuffleModeNumber(false), 1);
    EXPECT_EQ(shuffleModeNumber(true), 3);
    EXPECT_FALSE(shuffleModeNumber(std::nullopt));
    EXPECT_EQ(repeatModeNumber(QStringLiteral("None")), 1);
    EXPECT_EQ(repeatModeNumber(QStringLiteral("Track")), 2);
    EXPECT_EQ(repeatModeNumber(QStringLiteral("Playlist")), 3);
    EXPECT_FALSE(repeatModeNumber(QStringLiteral("playlist")));
    for (int mode : {1, 2, 3})
        EXPECT_EQ(repeatModeNumber(loopStatusForMode(mode)), mode);
    EXPECT_FALSE(loopStatusForMode(0));
    EXPECT_FALSE(loopStatusForMode(7));
}

std::map<std::string, MRValue> entriesOf(const NowPlayingSnapshot &snapshot)
{
    std::map<std::string, MRValue> out;
    const MRDictionary *d = snapshot.dictionary();
    for (std::size_t i = 0; i < d->count; ++i)
        out[d->entries[i].key] = d->entries[i].value;
    return out;
}

TEST(NowPlayingSnapshotTest, CarriesTheTrackPositionRateAndModes)
{
    MprisPlayer p;
    p.apply(QStringLiteral("Metadata"), fullMetadata());
    p.apply(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing"));
    p.apply(QStringLiteral("Rate"), 1.25);
    p.apply(QStringLiteral("Shuffle"), true);
    p.apply(QStringLiteral("LoopStatus"), QStringLiteral("Track"));
    NowPlayingSnapshot snapshot(p, 61'500'000, 1700000000.25, QByteArray("\x89PNG", 4));
    auto e = entriesOf(snapshot);
    EXPECT_STREQ(e.at("kMRMediaRemoteNowPlayingInfoTitle").string, "Title");
    EXPECT_STREQ(e.at("kMRMediaRemoteNowPlayingInfoArtist").string, "A, B, C");
    EXPECT_DOUBLE_EQ(e.at("kMRMediaRemoteNowPlayingInfoDuration").number, 245.5);
    EXPECT_DOUBLE_EQ(e.at("kMRMediaRemoteNowPlayingInfoElapsedTime").number, 61.5);
    EXPECT_EQ(e.at("kMRMediaRemoteNowPlayingInfoTimestamp").type, MRValueTypeDate);
    EXPECT_DOUBLE_EQ(e.at("kMRMediaRemoteNowPlayingInfoTimestamp").number, 1700000000.25);
    EXPECT_DOUBLE_EQ(e.at("kMRMediaRemoteNowPlayingInfoPlaybackRate").number, 1.25);
    EXPECT_EQ(e.at("kMRMediaRemoteNowPlayingInfoShuffleMode").integer, 3);
    EXPECT_EQ(e.at("kMRMediaRemoteNowPlayingInfoRepeatMode").integer, 2);
    EXPECT_EQ(e.at("kMRMediaRemoteNowPlayingInfoArtworkData").length, 4u);

    // Paused: the rate is 0 whatever the player keeps; no position read, no elapsed or timestamp.
    p.apply(QStringLiteral("PlaybackStatus"), QStringLiteral("Paused"));
    NowPlayingSnapshot paused(p, std::nullopt, 0, {});
    e = entriesOf(paused);
    EXPECT_DOUBLE_EQ(e.at("kMRMediaRemoteNowPlayingInfoPlaybackRate").number, 0.0);
    EXPECT_FALSE(e.count("kMRMediaRemoteNowPlayingInfoElapsedTime"));
    EXPECT_FALSE(e.count("kMRMediaRemoteNowPlayingInfoTimestamp"));
    EXPECT_FALSE(e.count("kMRMediaRemoteNowPlayingInfoArtworkData"));
}

TEST(ArtworkStoreTest, OnlyImagesWithinTheCapAreTaken)
{
    EXPECT_TRUE(ArtworkStore::looksLikeImage(QByteArray("\x89PNG\r\n\x1a\n....", 12)));
    EXPECT_TRUE(ArtworkStore::looksLikeImage(QByteArray("\xFF\xD8\xFF\xE0", 4)));
    EXPECT_TRUE(ArtworkStore::looksLikeImage("GIF89a...."));
    EXPECT_TRUE(ArtworkStore::looksLikeImage(QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16)));
    EXPECT_FALSE(ArtworkStore::looksLikeImage(QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16)));
    EXPECT_FALSE(ArtworkStore::looksLikeImage("<html>"));
    EXPECT_FALSE(ArtworkStore::looksLikeImage(QByteArray()));

    QTemporaryDir dir;
    auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    QByteArray gif("GIF87a");
    gif.resize(ArtworkStore::kMaxBytes, 'x');
    EXPECT_EQ(ArtworkStore::readImageFile(write(QStringLiteral("max.gif"), gif)).size(), ArtworkStore::kMaxBytes);
    gif.append('x');
    EXPECT_TRUE(ArtworkStore::readImageFile(write(QStringLiteral("over.gif"), gif)).isEmpty());
    EXPECT_TRUE(ArtworkStore::readImageFile(dir.filePath(QStringLiteral("missing.png"))).isEmpty());
    // Neither a pipe nobody writes to nor a directory is read (a pipe would block forever).
    const QString fifo = dir.filePath(QStringLiteral("cover.png"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(ArtworkStore::readImageFile(fifo).isEmpty());
    EXPECT_TRUE(ArtworkStore::readImageFile(dir.path()).isEmpty());

    ArtworkStore store;
    EXPECT_FALSE(store.artwork(QStringLiteral("file://") + write(QStringLiteral("a.gif"), "GIF89a!")).isEmpty());
    EXPECT_TRUE(store.artwork(QStringLiteral("data:image/png;base64,iVBORw0KGgo=")).isEmpty());
    EXPECT_TRUE(store.artwork(QStringLiteral("not a url")).isEmpty());
}

}  // namespace

TEST(ArtworkStoreTest, OneFetchPerUrlAndAtMostTwoAtOnce)
{
    // A server that notes each request's path and answers only when told.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    std::map<std::string, QTcpSocket *> requests;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *s = server.nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::readyRead, s, [&requests, s] {
                const QByteArray head = s->peek(4096);
                if (head.contains("\r\n\r\n"))
                    requests[head.split(' ').value(1).toStdString()] = s;
            });
        }
    });
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort());
    ArtworkStore store;
    for (const char *name : {"a", "a", "b", "c", "d", "e", "a"})
        EXPECT_TRUE(store.artwork(base + QLatin1String(name)).isEmpty());
    EXPECT_EQ(store.fetchesInFlight(), 2);
    ASSERT_TRUE(vesk::test::waitFor([&] { return requests.size() == 2; }));
    EXPECT_TRUE(requests.count("/a") && requests.count("/b"));
    // One ends: the latest waiting URL takes its place.
    requests["/a"]->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    requests["/a"]->disconnectFromHost();
    ASSERT_TRUE(vesk::test::waitFor([&] { return requests.size() == 3; }));
    EXPECT_TRUE(requests.count("/e"));
    EXPECT_EQ(store.fetchesInFlight(), 2);
}
