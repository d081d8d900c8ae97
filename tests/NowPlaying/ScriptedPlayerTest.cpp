#include "NowPlayingFixtureSupport.h"

using namespace vesk;
using namespace vesk::test;

namespace {

class ScriptedPlayerTest : public NowPlayingFixture {
protected:
    std::optional<ScriptedState> read(ScriptedPlayer player)
    {
        std::optional<ScriptedState> result;
        bool answered = false;
        scripted::fetchState(player, [&](std::optional<ScriptedState> state) {
            result = std::move(state);
            answered = true;
        });
        time.flush();
        EXPECT_TRUE(answered);
        return result;
    }
};

}  // namespace

TEST_F(ScriptedPlayerTest, BundleIdentifiersNameThePlayers)
{
    EXPECT_EQ(scripted::fromBundleID(std::string("spotify")), ScriptedPlayer::spotify);
    EXPECT_EQ(scripted::fromBundleID(std::string("com.Spotify.Client")), ScriptedPlayer::spotify);
    EXPECT_EQ(scripted::fromBundleID(std::string("music")), ScriptedPlayer::music);
    EXPECT_EQ(scripted::fromBundleID(std::string("Music")), std::nullopt);
    EXPECT_EQ(scripted::fromBundleID(std::nullopt), std::nullopt);
    EXPECT_EQ(scripted::bundleID(ScriptedPlayer::music), "music");
    // No desktop music player: the music case names nothing and never runs.
    apps.setDefault(QStringLiteral("audio/mpeg"), QStringLiteral("gone"));
    scripted::forgetMusicPlayer();
    setPlayer(musicBus, QStringLiteral("One"));
    EXPECT_EQ(scripted::fromBundleID(std::string("music")), std::nullopt);
    EXPECT_FALSE(scripted::isRunning(ScriptedPlayer::music));
}

TEST_F(ScriptedPlayerTest, StateReadsWithDefaultsForOddTypes)
{
    setPlayer(spotifyBus, QStringLiteral("One"));
    auto state = read(ScriptedPlayer::spotify);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->title, "One");
    EXPECT_EQ(state->artist, "One, Two");
    EXPECT_EQ(state->duration, 200);
    EXPECT_EQ(state->position, 30);
    EXPECT_TRUE(state->isPlaying);
    EXPECT_TRUE(state->isShuffling);
    EXPECT_EQ(state->repeatMode, 2);
    EXPECT_EQ(state->trackID, "spotify:track:abc123");
    EXPECT_FALSE(state->isLiked);

    auto &player = bus.player(spotifyBus);
    player.properties[QStringLiteral("Metadata")] =
        QVariantMap{{QStringLiteral("xesam:title"), 5}, {QStringLiteral("mpris:length"), QStringLiteral("long")}};
    player.properties[QStringLiteral("Shuffle")] = QStringLiteral("yes");
    player.properties[QStringLiteral("LoopStatus")] = QStringLiteral("Playlist");
    player.properties[QStringLiteral("Position")] = QStringLiteral("far");
    state = read(ScriptedPlayer::spotify);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->title, "");
    EXPECT_EQ(state->duration, 0);
    EXPECT_EQ(state->position, 0);
    EXPECT_FALSE(state->isShuffling);
    EXPECT_EQ(state->repeatMode, 3);
    EXPECT_EQ(state->trackID, "");
}

TEST_F(ScriptedPlayerTest, StoppedNotRunningAndFailingPlayersGiveNoState)
{
    setPlayer(musicBus, QStringLiteral("One"), QStringLiteral("Stopped"));
    EXPECT_FALSE(read(ScriptedPlayer::music));
    EXPECT_FALSE(read(ScriptedPlayer::spotify));  // never on the bus
    EXPECT_TRUE(bus.calls().size() == 1u);        // only the music player was asked
    setPlayer(musicBus, QStringLiteral("One"));
    bus.player(musicBus).failure = QStringLiteral("org.freedesktop.DBus.Error.NoReply: timed out");
    EXPECT_FALSE(read(ScriptedPlayer::music));
    ASSERT_FALSE(logged.lines.empty());
    EXPECT_EQ(logged.lines.back(), "Vesk: scripting music failed: org.freedesktop.DBus.Error.NoReply: timed out");
}

TEST_F(ScriptedPlayerTest, RepeatModesMapToLoopStatusPerPlayer)
{
    setPlayer(spotifyBus, QStringLiteral("One"));
    setPlayer(musicBus, QStringLiteral("One"));
    auto loop = [&](const QString &name) { return bus.player(name).properties.value(QStringLiteral("LoopStatus")).toString(); };
    scripted::setRepeat(ScriptedPlayer::spotify, 0);
    EXPECT_EQ(loop(spotifyBus), "Playlist");
    scripted::setRepeat(ScriptedPlayer::spotify, 1);
    EXPECT_EQ(loop(spotifyBus), "None");
    scripted::setRepeat(ScriptedPlayer::music, 0);
    EXPECT_EQ(loop(musicBus), "None");
    scripted::setRepeat(ScriptedPlayer::music, 2);
    EXPECT_EQ(loop(musicBus), "Track");
    scripted::setRepeat(ScriptedPlayer::music, 3);
    EXPECT_EQ(loop(musicBus), "Playlist");
    const size_t calls = bus.calls().size();
    scripted::setLiked(ScriptedPlayer::music, true);
    EXPECT_EQ(bus.calls().size(), calls);
}

TEST_F(ScriptedPlayerTest, SpotifyTrackIdentifiers)
{
    EXPECT_EQ(scripted::spotifyTrackID("spotify:track:4uLU6hMC"), "spotify:track:4uLU6hMC");
    EXPECT_EQ(scripted::spotifyTrackID("/com/spotify/track/4uLU6hMC"), "spotify:track:4uLU6hMC");
    EXPECT_EQ(scripted::spotifyTrackID("/org/mpris/MediaPlayer2/Track/1"), "");
    EXPECT_EQ(scripted::spotifyTrackID("/com/spotify/track/"), "");
}

TEST_F(ScriptedPlayerTest, ArtworkFilesMustBeRegularFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cover.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(solid(Qt::red));
    file.close();
    std::vector<std::optional<QByteArray>> answers;
    auto fetch = [&](const QString &url) {
        ScriptedState state;
        state.artworkURL = url.toStdString();
        scripted::fetchArtwork(ScriptedPlayer::music, state, [&](std::optional<QByteArray> bytes) { answers.push_back(bytes); });
    };
    fetch(QStringLiteral("ftp://example/cover.png"));  // no address we fetch: answered at once
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers[0]);
    fetch(QUrl::fromLocalFile(path).toString());
    fetch(QUrl::fromLocalFile(dir.path()).toString());
    fetch(QStringLiteral("file:///dev/zero"));
    time.flush();
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_TRUE(answers[1]);
    EXPECT_FALSE(answers[2]);
    EXPECT_FALSE(answers[3]);
}
