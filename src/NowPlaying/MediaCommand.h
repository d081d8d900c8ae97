#pragma once

namespace vesk {

// A playback command. The companion knows them by number; there is deliberately no 3.
enum class MediaCommand { play, pause, togglePlayPause, nextTrack, previousTrack, likeTrack };

constexpr int companionNumber(MediaCommand command)
{
    constexpr int numbers[] = {0, 1, 2, 4, 5, 21};
    return numbers[static_cast<int>(command)];
}

}  // namespace vesk
