// The pinned players over the session bus: TrackWatch's test player as Spotify and as the desktop's
// music player, read, commanded and heard; a player that is not running is never started; the
// explicit look-up against a web server on the loopback interface.
#include "Model/Defaults.h"
#include "MprisSessionSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QTcpServer>
#include <QTcpSocket>

using namespace vesk;
using namespace vesk::test;

namespace {

const QString spotifyName = QStringLiteral("org.mpris.MediaPlayer2.spotify");

bool hasOwner(const QString &name)
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}

// Runs the event loop for a while: for what must not happen.
void runFor(int ms)
{
    waitFor([] { return false; }, ms);
}

class PinnedPlayer : public MprisSessionTest {};

}  // namespace

TEST_F(PinnedPlayer, SpotifyIsReadCommandedAndHeard)
{
    auto player = makePlayer(QStringLiteral("spotify"), QStringLiteral("spotify"));
    ASSERT_TRUE(player);
    makeService();
    UserDefaults::standard().set(settings::audioSource, "spotify");
    service->start();

    ASSERT_TRUE(waitFor([&] { return titleIs("First Song") && service->artwork.peek(); }));
    const Track first = *service->track.peek();
    EXPECT_EQ(first.artist, "Ann, Bo");
    EXPECT_EQ(first.album, "Side A");
    EXPECT_EQ(first.duration, 200);
    EXPECT_TRUE(first.isPlaying);
    EXPECT_EQ(first.bundleID, "spotify");
    EXPECT_EQ(first.shuffleMode, 1);
    EXPECT_EQ(first.repeatMode, 1);
    EXPECT_FALSE(first.isLiked);
    EXPECT_EQ(service->artwork.peek()->size(), QSize(192, 144));
    EXPECT_NE(service->accent.peek(), QColor(Qt::white));
    EXPECT_TRUE(UserDefaults::standard().value(NowPlayingService::scriptedSetting(ScriptedPlayer::spotify)));
    EXPECT_FALSE(service->canLike());

    // A command goes to the player; the read 0.6 s later shows its outcome.
    service->send(MediaCommand::nextTrack);
    ASSERT_TRUE(waitFor([&] { return titleIs("Second Song"); }));
    EXPECT_TRUE(player->calls.contains(QStringLiteral("Next")));
    EXPECT_FALSE(service->artwork.peek());  // the second track has none

    service->togglePlayPause();
    EXPECT_FALSE(service->track.peek()->isPlaying);  // at once
    ASSERT_TRUE(waitFor([&] { return player->playbackStatus() == QLatin1String("Paused"); }));

    service->seek(30.0);
    ASSERT_TRUE(waitFor([&] { return player->positionMicros() == 30'000'000; }));
    EXPECT_TRUE(player->calls.contains(QStringLiteral("SetPosition")));

    service->toggleShuffle();
    ASSERT_TRUE(waitFor([&] { return player->shuffle(); }));
    service->toggleRepeat();
    ASSERT_TRUE(waitFor([&] { return player->loopStatus() == QLatin1String("Playlist"); }));
    service->toggleRepeat();
    ASSERT_TRUE(waitFor([&] { return player->loopStatus() == QLatin1String("None"); }));
    ASSERT_TRUE(waitFor([&] {
        const auto &track = service->track.peek();
        return track && track->shuffleMode == 3 && track->repeatMode == 1;
    }));

    // The player's own change is heard without any command.
    player->setTitle(QStringLiteral("Renamed"));
    EXPECT_TRUE(waitFor([&] { return titleIs("Renamed"); }));

    // A quit player reads as nothing playing.
    player.reset();
    service->send(MediaCommand::nextTrack);
    EXPECT_TRUE(waitFor([&] { return !service->track.peek(); }));
}

TEST_F(PinnedPlayer, TheDesktopsMusicPlayerIsTheOneItOpensMusicWith)
{
    const QString id = QStringLiteral("vesk-test-music-%1").arg(::getpid());
    writeFile(root.filePath("config/mimeapps.list"),
              "[Default Applications]\naudio/mpeg=" + id.toUtf8() + ".desktop;\n");
    writeFile(root.filePath("data/icons/tester.png"), pngOf(Qt::blue, 256, 256));
    writeFile(root.filePath("data/applications/" + id + ".desktop"),
              "[Desktop Entry]\nType=Application\nName=Tester\nExec=true\nIcon=" + root.filePath("data/icons/tester.png").toUtf8()
                  + "\n");
    auto player = makePlayer(QStringLiteral("vesktestmusic_%1").arg(::getpid()), id);
    ASSERT_TRUE(player);
    makeService();
    UserDefaults::standard().set(settings::audioSource, "music");
    service->start();

    ASSERT_TRUE(waitFor([&] { return titleIs("First Song") && service->appIcon.peek(); }));
    EXPECT_EQ(service->track.peek()->bundleID, id.toStdString());
    EXPECT_EQ(service->appIcon.peek()->size(), QSize(128, 128));
    EXPECT_TRUE(UserDefaults::standard().value(NowPlayingService::scriptedSetting(ScriptedPlayer::music)));

    // Repeat runs off, all, off; the music player's "all" is the playlist.
    service->toggleRepeat();
    ASSERT_TRUE(waitFor([&] { return player->loopStatus() == QLatin1String("Playlist"); }));
    service->toggleRepeat();
    ASSERT_TRUE(waitFor([&] { return player->loopStatus() == QLatin1String("None"); }));
    service->send(MediaCommand::previousTrack);
    ASSERT_TRUE(waitFor([&] { return player->calls.contains(QStringLiteral("Previous")); }));
    service->send(MediaCommand::nextTrack);
    EXPECT_TRUE(waitFor([&] { return titleIs("Second Song"); }));

    // Back to automatic: the pinned track goes.
    UserDefaults::standard().set(settings::audioSource, "automatic");
    EXPECT_FALSE(service->track.peek());
    EXPECT_FALSE(service->pinnedPlayer());
}

// The user picks another default music player while Vesk runs, then pins the music player: the
// one the desktop opens music with now is read, not the one it named when the first track came.
TEST_F(PinnedPlayer, TheMusicPlayerChosenAfterStartIsTheOnePinned)
{
    writeFile(root.filePath("data/applications/mpv.desktop"),
              "[Desktop Entry]\nType=Application\nName=mpv\nExec=mpv %U\nMimeType=audio/mpeg;\n");
    auto player = makePlayer(QStringLiteral("vesktestmpv_%1").arg(::getpid()), QStringLiteral("mpv"));
    ASSERT_TRUE(player);
    makeService();
    service->start();
    // A first track from some other application, while the desktop names no music player.
    ASSERT_TRUE(waitFor([&] { return !companion.launches().empty(); }));
    ASSERT_TRUE(companion.emitOutput(R"({"title":"Elsewhere","playing":true,"rate":1,"bundleID":"org.example.Other"})"
                                     "\n"));
    ASSERT_TRUE(waitFor([&] { return titleIs("Elsewhere"); }));

    writeFile(root.filePath("config/mimeapps.list"), "[Default Applications]\naudio/mpeg=mpv.desktop;\n");
    UserDefaults::standard().set(settings::audioSource, "music");
    ASSERT_TRUE(waitFor([&] { return titleIs("First Song"); }));
    EXPECT_EQ(service->track.peek()->bundleID, "mpv");

    // Another player chosen while automatic, then pinned again: that one.
    UserDefaults::standard().set(settings::audioSource, "automatic");
    auto other = makePlayer(QStringLiteral("vesktestother_%1").arg(::getpid()), QStringLiteral("vesk-test-other"));
    ASSERT_TRUE(other);
    other->setTracks({{QStringLiteral("Other Song"), {QStringLiteral("Di")}, QStringLiteral("C"), 60'000'000, {}}});
    writeFile(root.filePath("data/applications/vesk-test-other.desktop"),
              "[Desktop Entry]\nType=Application\nName=Other\nExec=true\n");
    writeFile(root.filePath("config/mimeapps.list"), "[Default Applications]\naudio/mpeg=vesk-test-other.desktop;\n");
    UserDefaults::standard().set(settings::audioSource, "music");
    EXPECT_TRUE(waitFor([&] { return titleIs("Other Song"); }));
}

// A service started afresh looks the music player up again, whatever an earlier one found.
TEST_F(PinnedPlayer, EachStartLooksTheMusicPlayerUpAgain)
{
    UserDefaults::standard().set(settings::audioSource, "music");
    makeService();
    service->start();
    service->send(MediaCommand::play);
    runFor(300);
    EXPECT_FALSE(service->track.peek()) << "no music player on this desktop yet";

    writeFile(root.filePath("data/applications/mpv.desktop"), "[Desktop Entry]\nType=Application\nName=mpv\nExec=mpv %U\n");
    writeFile(root.filePath("config/mimeapps.list"), "[Default Applications]\naudio/mpeg=mpv.desktop;\n");
    auto player = makePlayer(QStringLiteral("vesktestmpv_%1").arg(::getpid()), QStringLiteral("mpv"));
    ASSERT_TRUE(player);
    makeService();
    service->start();
    EXPECT_TRUE(waitFor([&] { return titleIs("First Song"); }));
}

TEST_F(PinnedPlayer, APlayerThatIsNotRunningIsNeverStarted)
{
    ASSERT_TRUE(waitFor([] { return !hasOwner(spotifyName); }));
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(runtime);
    // A service file that would start "Spotify" on demand: starting it leaves a mark.
    // The same file and mark in every run: the bus may go on using what it read of the file before.
    const QString marker = QString::fromLocal8Bit(runtime) + "/vesk-test-spotify-started";
    QFile::remove(marker);
    const QString serviceFile = QString::fromLocal8Bit(runtime) + "/dbus-1/services/org.mpris.MediaPlayer2.spotify.service";
    writeFile(serviceFile, "[D-BUS Service]\nName=org.mpris.MediaPlayer2.spotify\nExec=/bin/sh -c 'touch " + marker.toUtf8()
                               + "'\n");
    auto reload = [] {
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")));
    };
    reload();
    struct Remove {
        QString path;
        std::function<void()> reload;
        ~Remove()
        {
            QFile::remove(path);
            reload();
        }
    } remove{serviceFile, reload};
    const QDBusReply<QStringList> activatable = QDBusConnection::sessionBus().interface()->activatableServiceNames();
    ASSERT_TRUE(activatable.value().contains(spotifyName));

    makeService();
    UserDefaults::standard().set(settings::audioSource, "spotify");
    service->start();
    service->send(MediaCommand::nextTrack);
    service->togglePlayPause();
    service->seek(10);
    UserDefaults::standard().set(settings::audioSource, "music");  // no music player on this desktop
    service->send(MediaCommand::play);
    runFor(1500);  // past the re-reads after the commands
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_FALSE(hasOwner(spotifyName));
    EXPECT_FALSE(service->track.peek());
}

TEST_F(PinnedPlayer, SpotifysExplicitFlagIsLookedUpOnceOnTheWeb)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    std::vector<QByteArray> requests;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, request, &requests] {
            *request += socket->readAll();
            if (!request->contains("\r\n\r\n"))
                return;
            requests.push_back(*request);
            const QByteArray body = "<script>{\"props\":{\"isExplicit\":true,\"name\":\"x\"}}</script>";
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
                          + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    });

    auto player = makePlayer(QStringLiteral("spotify"), QStringLiteral("spotify"));
    ASSERT_TRUE(player);
    const QVariantMap metadata{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/com/spotify/track/4uLU6hMCjMI75M1A2tKUQC")))},
        {QStringLiteral("xesam:title"), QStringLiteral("Loud Song")},
        {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("Band")}},
        {QStringLiteral("mpris:length"), qlonglong(100'000'000)}};
    // The change this makes reaches the bus before any service listens: the first announcement is
    // the one below.
    int heard = 0;
    const Connection listening = MprisBus::shared().propertiesChanged.connect(
        [&](const QString &name, const QString &, const QVariantMap &) { heard += name == spotifyName; });
    player->setRawMetadata(metadata);
    ASSERT_TRUE(waitFor([&] { return heard > 0; }));
    makeService("http://127.0.0.1:" + std::to_string(server.serverPort()));
    UserDefaults::standard().set(settings::audioSource, "spotify");
    service->start();
    ASSERT_TRUE(waitFor([&] { return titleIs("Loud Song"); }));

    // Spotify announces the track: its id and name.
    player->setRawMetadata(metadata);
    ASSERT_TRUE(waitFor([&] { return service->track.peek() && service->track.peek()->isExplicit; }))
        << requests.size() << " requests";
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].startsWith("GET /embed/track/4uLU6hMCjMI75M1A2tKUQC HTTP/1.1\r\n")) << requests[0].toStdString();
    EXPECT_TRUE(requests[0].contains("\r\nUser-Agent: Mozilla/5.0 (Macintosh) AppleWebKit/605.1.15 (KHTML, like Gecko) "
                                     "Version/17.0 Safari/605.1.15\r\n"))
        << requests[0].toStdString();

    // The answer is remembered for the life of the process: a service made afresh asks nobody.
    makeService("http://127.0.0.1:" + std::to_string(server.serverPort()));
    service->start();
    ASSERT_TRUE(waitFor([&] { return titleIs("Loud Song"); }));
    player->setRawMetadata(metadata);
    ASSERT_TRUE(waitFor([&] { return service->track.peek() && service->track.peek()->isExplicit; }));
    EXPECT_EQ(requests.size(), 1u);
}
