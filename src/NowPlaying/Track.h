#pragma once

#include <optional>
#include <string>

namespace vesk {

// What is playing: the now-playing record. Times are seconds; `timestamp` is wall-clock seconds
// since the epoch at which `elapsed` was the position.
struct Track {
    std::string title;
    std::string artist;  // "" when unknown
    std::string album;   // "" when unknown
    double duration = 0;  // 0 when unknown
    double elapsed = 0;
    double timestamp = 0;
    double rate = 1.0;
    bool isPlaying = false;
    std::optional<std::string> bundleID;
    bool isExplicit = false;
    // Absent or below 2: off; 2 or more: on. We write 1 for off and 3 for on.
    std::optional<int> shuffleMode;
    std::optional<int> repeatMode;
    std::optional<bool> isLiked;

    bool operator==(const Track &) const = default;

    // The position at wall-clock time `date`: frozen while paused; otherwise advancing at `rate`
    // (at 1 when the rate is not positive), never below 0 and, with a known duration, never past it.
    double elapsedAt(double date) const;
};

}  // namespace vesk
