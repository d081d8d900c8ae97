#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace vesk {

// The two players that the service controls and reads directly, over MPRIS: Spotify, and the
// desktop's music player (the application it opens music files with).
enum class ScriptedPlayer { spotify, music };

// What a player says it is playing.
struct ScriptedState {
    std::string title, artist, album;
    double duration = 0;
    double position = 0;
    bool isPlaying = false;
    bool isShuffling = false;
    int repeatMode = 1;  // 1 off, 2 the track, 3 all
    std::optional<bool> isLiked;  // MPRIS has no favourite: always unknown
    std::optional<std::string> artworkURL;
    std::optional<std::string> trackID;  // Spotify only: "spotify:track:<id>" or ""

    // Title, artist and album joined by line feeds: which track this is.
    std::string key() const { return title + "\n" + artist + "\n" + album; }
};

namespace scripted {

// "spotify" or "music": the name in settings keys and log lines.
const char *rawValue(ScriptedPlayer player);
// The player a bundle identifier names: Spotify for "spotify" or "com.spotify.client" (case
// ignored), the music player for the desktop's music player's id, else none.
std::optional<ScriptedPlayer> fromBundleID(const std::optional<std::string> &bundleID);
// The bundle identifier reports carry for the player: "spotify", or the music player's desktop id
// (none when the desktop names no installed music player).
std::optional<std::string> bundleID(ScriptedPlayer player);
// The desktop's music player's id, as last looked up (the first use looks it up).
std::optional<std::string> musicPlayerID();
// Looks the music player up afresh: the user may have chosen another default application since.
void lookUpMusicPlayer();
// Forgets what was looked up and read, so the next use looks again.
void forgetMusicPlayer();
// The player's bus name while it runs.
std::optional<QString> busName(ScriptedPlayer player);
// Which scripted player a bus name belongs to.
std::optional<ScriptedPlayer> playerOfBusName(const QString &busName);
bool isRunning(ScriptedPlayer player);

// Reads the player's state; none when it is stopped, not running or the call failed.
void fetchState(ScriptedPlayer player, std::function<void(std::optional<ScriptedState>)> done);
// The current track's artwork bytes (a file:// address is read, http(s):// fetched), or none.
void fetchArtwork(ScriptedPlayer player, const ScriptedState &state,
                  std::function<void(std::optional<QByteArray>)> done);
void playPause(ScriptedPlayer player);
void nextTrack(ScriptedPlayer player);
void previousTrack(ScriptedPlayer player);
void setPosition(ScriptedPlayer player, double seconds);
void setShuffle(ScriptedPlayer player, bool on);
void setRepeat(ScriptedPlayer player, int mode);
// MPRIS has no favourite: does nothing.
void setLiked(ScriptedPlayer player, bool liked);

// Whether a Spotify track is explicit, by its embed page at `base` + "/embed/track/<id>". An id
// that is empty or holds anything but letters and digits gets no answer; a page that carries the
// marker is remembered for the life of the process.
void isExplicit(const std::string &base, const std::string &spotifyTrackID, std::function<void(bool)> done);
void forgetExplicitAnswers();

// Raises the player whose identity is `bundleID` when it can be raised; else nothing.
void raise(const std::string &bundleID);

// Spotify's track identifier from an MPRIS track id: "spotify:track:<id>" as it is, or from the
// object path "/com/spotify/track/<id>"; else "".
std::string spotifyTrackID(const std::string &mprisTrackID);

}  // namespace scripted

}  // namespace vesk
