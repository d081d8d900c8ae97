#pragma once

#include <optional>
#include <string_view>
#include <utility>

namespace vesk {

// A playback command. The companion knows them by number; there is deliberately no 3.
enum class MediaCommand { play, pause, togglePlayPause, nextTrack, previousTrack, likeTrack };

constexpr int companionNumber(MediaCommand command)
{
    constexpr int numbers[] = {0, 1, 2, 4, 5, 21};
    return numbers[static_cast<int>(command)];
}

// The developer tools' names of the commands: play, pause, toggle, next, previous, like.
inline std::optional<MediaCommand> mediaCommandNamed(std::string_view name)
{
    constexpr std::pair<std::string_view, MediaCommand> names[] = {
        {"play", MediaCommand::play},          {"pause", MediaCommand::pause},
        {"toggle", MediaCommand::togglePlayPause}, {"next", MediaCommand::nextTrack},
        {"previous", MediaCommand::previousTrack}, {"like", MediaCommand::likeTrack}};
    for (const auto &[text, command] : names) {
        if (text == name)
            return command;
    }
    return std::nullopt;
}

}  // namespace vesk
