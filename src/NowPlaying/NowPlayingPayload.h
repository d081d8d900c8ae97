#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace vesk {

// One report line of the companion, decoded. Every key is optional; JSON null counts as absent.
struct NowPlayingPayload {
    std::optional<bool> empty;
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    std::optional<double> duration;
    std::optional<double> elapsed;
    std::optional<double> timestamp;
    std::optional<double> rate;
    std::optional<bool> playing;
    std::optional<bool> explicitFlag;  // key "explicit"
    std::optional<int> shuffle;
    std::optional<int> repeat;
    std::optional<bool> liked;
    std::optional<std::string> bundleID;
    std::optional<std::string> artwork;  // Base64
    std::optional<bool> artworkSame;

    // Absent when the line is not a JSON object or a known key has a value of the wrong type.
    // Unknown keys are ignored.
    static std::optional<NowPlayingPayload> decode(const std::string &line);
};

}  // namespace vesk
