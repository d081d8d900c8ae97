#pragma once

#include "NowPlaying/MediaCommand.h"
#include "NowPlaying/NowPlayingPayload.h"
#include "NowPlaying/ScriptedPlayer.h"
#include "NowPlaying/Track.h"
#include "Base/Lifetime.h"
#include "Base/MainQueue.h"
#include "Base/Observed.h"
#include "Platform/UserDefaults.h"

#include <QByteArray>
#include <QColor>
#include <QImage>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

class CompanionProcess;

// The application's single source of what is playing, shared by every island. It runs the
// companion process (TrackWatch) and applies its reports, or reads the player pinned in the
// settings over MPRIS; it publishes the current track with its artwork, accent colour and player
// icon, and version counters that views animate on; and it takes the playback commands.
// Main thread only.
class NowPlayingService {
public:
    using Image = std::shared_ptr<const QImage>;  // compared by object identity

    // `source` is the setting that pins a player ("spotify", "music"; anything else follows the
    // companion). `explicitLookUpBase` is the web host asked whether a Spotify track is explicit.
    explicit NowPlayingService(const Setting<std::string> &source,
                               std::string explicitLookUpBase = "https://open.spotify.com");
    ~NowPlayingService();
    NowPlayingService(const NowPlayingService &) = delete;
    NowPlayingService &operator=(const NowPlayingService &) = delete;

    Observed<std::optional<Track>> track;
    Observed<Image> artwork;
    Observed<QColor> accent{QColor(Qt::white)};
    Observed<Image> appIcon;
    Observed<int> trackVersion{0};
    Observed<int> titleVersion{0};
    Observed<int> artistVersion{0};
    Observed<int> artworkVersion{0};

    // Called when a new track is announced while it plays; set by the primary island model.
    std::function<void()> onNewTrack;

    // Whether a change from `old` to `now` is news to observers.
    static bool shouldNotifyObservers(const std::optional<Track> &old, const std::optional<Track> &now);

    // Announces a new track to whoever listens (the island's track preview).
    void announceNewTrack()
    {
        if (onNewTrack)
            onNewTrack();
    }

    // --- The companion (or the developer tracks of VESK_DEBUG_MEDIA) ---------------------------
    void start();
    // Output of the companion, in the order read.
    void consume(const QByteArray &data);
    void playDebugTrack(long long n);
    // Writes one command line to the running companion; skipped when none runs.
    void write(const std::string &text);

    // --- Applying reports ----------------------------------------------------------------------
    void apply(NowPlayingPayload payload, bool fromHelper);
    void clearEverything();

    // --- Commands ------------------------------------------------------------------------------
    void send(MediaCommand command);
    void togglePlayPause();
    void seek(double seconds);
    void skip(double seconds);
    void toggleShuffle();
    void toggleRepeat();
    void toggleLike();
    bool canLike() const;
    void openSourceApp();

    // --- What tools and diagnostics read -------------------------------------------------------
    // Shows an image as the artwork of what plays, as a report's artwork does; false when the
    // bytes are no image (nothing changes then).
    bool showArtwork(const QByteArray &imageBytes);
    // Removes the artwork shown, if any, with its accent.
    void removeArtwork();
    enum class CompanionState { notStarted, running, restarting, givenUp, disabled, debug };
    CompanionState companionState() const { return companion_; }
    // The state's name in the developer tools' output: "notStarted", "running", ...
    static const char *companionStateName(CompanionState state);
    int restarts() const { return restarts_; }
    std::optional<ScriptedPlayer> pinnedPlayer() const { return pinnedPlayer_; }
    int debugIndex() const { return debugIndex_; }
    bool hasDebugTracks() const { return debugTracks_.has_value(); }
    // The largest line the companion may write; a longer one is dropped up to its line feed.
    static constexpr size_t maxLineBytes = 8 * 1024 * 1024;
    // The command texts a position is written in: the shortest round trip, always with a point.
    static std::string formatPosition(double seconds);
    // Set once a player has been read by script, so that its details are read from then on.
    static const Setting<bool> &scriptedSetting(ScriptedPlayer player);
    // Set by the earlier product when it had read Spotify by script.
    static constexpr Setting<bool> spotifyScriptingUsed{"spotifyScriptingUsed", false};

private:
    struct PendingSwitch {
        Track track;
        bool hasArtwork;
    };
    struct ExpectedPlayState {
        bool isPlaying;
        double deadline;
    };

    // Companion.
    void helperExited();
    void startSourceTracking();
    // Applying.
    void commit(Track candidate, const std::optional<QByteArray> &artworkBytes, bool hasArtwork, bool announce);
    void show(const QByteArray &artworkBytes);
    void cancelPendingSwitch();
    void recheckIfAmbiguous(const NowPlayingPayload &payload);
    // Drops the image, its bytes and its accent; callers move the versions their change owes.
    void clearArtwork();
    void publish(Track next) { track = std::move(next); }
    // Source selection and scripted details.
    void readSourceSetting();
    void refreshPinned();
    void playerChanged(ScriptedPlayer player, const std::optional<std::pair<std::string, std::string>> &announced);
    void refreshScriptedDetails();
    void noteScripted(ScriptedPlayer player);
    bool hasScripted(ScriptedPlayer player) const;
    void lookUpExplicit();
    std::optional<ScriptedPlayer> commandPlayer() const;
    // A delay that nothing cancels but that does nothing once the service is gone.
    void later(double seconds, std::function<void()> fn);
    double now() const;

    Setting<std::string> sourceSetting_;
    std::optional<std::string> sourceValue_;  // the source setting as last read; none before start
    std::string explicitBase_;
    Lifetime lifetime_;

    bool hasReceivedState_ = false;
    std::optional<QByteArray> artworkData_;
    std::optional<PendingSwitch> pendingSwitch_;
    WorkItem settleTask_;
    bool hasSettleTask_ = false;
    WorkItem artworkClearTask_;
    bool hasArtworkClearTask_ = false;  // also while a cancelled clear stays in its field
    WorkItem recheckTask_;
    bool hasRecheckTask_ = false;
    std::optional<double> pausedAt_;
    std::optional<double> lastSampleElapsed_;
    std::optional<double> lastSampleTimestamp_;
    std::unique_ptr<CompanionProcess> process_;
    QByteArray buffer_;
    bool discardingLine_ = false;  // inside a line past the limit, up to its line feed
    int restarts_ = 0;
    std::optional<ExpectedPlayState> expectedPlayState_;
    std::optional<ScriptedPlayer> pinnedPlayer_;
    std::vector<Connection> sourceObservers_;
    std::optional<std::pair<std::string, std::string>> spotifyAnnounced_;
    std::string pinnedTrackKey_;
    // Pinned reads are numbered; a result older than the newest one applied is dropped.
    unsigned long long pinnedReadsIssued_ = 0;
    unsigned long long pinnedReadApplied_ = 0;
    std::optional<std::vector<NowPlayingPayload>> debugTracks_;
    int debugIndex_ = 0;
    CompanionState companion_ = CompanionState::notStarted;
};

}  // namespace vesk
