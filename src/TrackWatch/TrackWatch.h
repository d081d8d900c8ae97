#pragma once

// The companion's process-wide state and its work on the main loop: queries chained through the
// framework's callbacks, the debounced report, and the commands read from the input.

#include "TrackWatch/LineBuilder.h"
#include "TrackWatch/MediaRemote.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace trackwatch {

// The framework's entries, bound by name; an absent optional entry switches its feature off.
struct MediaRemoteFunctions {
    decltype(&MRMediaRemoteGetNowPlayingInfo) getInfo = nullptr;
    decltype(&MRMediaRemoteGetNowPlayingApplicationIsPlaying) getIsPlaying = nullptr;
    decltype(&MRMediaRemoteGetNowPlayingClient) getClient = nullptr;
    decltype(&MRMediaRemoteSendCommand) sendCommand = nullptr;
    decltype(&MRMediaRemoteSetElapsedTime) setElapsed = nullptr;
    decltype(&MRMediaRemoteSetShuffleMode) setShuffleMode = nullptr;
    decltype(&MRMediaRemoteSetRepeatMode) setRepeatMode = nullptr;
    decltype(&MRNowPlayingClientGetBundleIdentifier) clientBundleID = nullptr;
    decltype(&MRNowPlayingClientGetParentAppBundleIdentifier) clientParentBundleID = nullptr;
    decltype(&MRMediaRemoteRegisterForNowPlayingNotifications) registerForNotifications = nullptr;

    // The three without which nothing can be reported.
    bool hasRequired() const { return getInfo && getIsPlaying && registerForNotifications; }
};

class TrackWatch {
public:
    // `mainQueue` is the loop every callback runs on; `writeLine` writes one line (without its
    // line feed) and flushes; `restartTimer` arms the one debounce timer to run a function once,
    // the given milliseconds later, on the main loop — arming it again before it fired moves its
    // deadline and replaces the function, so a burst costs one timer however long it is.
    TrackWatch(const MediaRemoteFunctions &functions, const MRDispatchQueue *mainQueue,
               std::function<void(const std::string &)> writeLine,
               std::function<void(int milliseconds, std::function<void()>)> restartTimer);

    // One full report: information, playing state and, when bound, the client, then one line.
    void refresh();
    // The debounced refresh: one report 60 ms after the last of a burst of calls.
    void scheduleRefresh();
    // Carries out one trimmed, non-blank input line.
    void handleCommand(std::string_view line);

    static constexpr int kDebounceMilliseconds = 60;

private:
    struct Pending;
    static void onInfo(void *context, const MRDictionary *info);
    static void onIsPlaying(void *context, unsigned char playing);
    static void onClient(void *context, const MRNowPlayingClient *client);
    void publish(const NowPlayingInfo *info, bool playing, const std::optional<std::string> &bundleID);

    MediaRemoteFunctions functions_;
    const MRDispatchQueue *mainQueue_;
    std::function<void(const std::string &)> writeLine_;
    std::function<void(int, std::function<void()>)> restartTimer_;
    LineBuilder lines_;
};

}  // namespace trackwatch
