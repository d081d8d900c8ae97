#pragma once

#include <QByteArray>

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

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
    // Lines that are not valid UTF-8 or nest deeper than 64 levels are dropped too.
    static std::optional<NowPlayingPayload> decode(std::string_view line);
    // The bytes of `artwork` when it is valid Base64: the standard alphabet, unpadded or padded to
    // a multiple of four with at most two "="; a last lone character adds no byte. Absent without
    // `artwork` or when it is not valid. (The rules of Qt's strict decoding, in one pass.)
    std::optional<QByteArray> artworkBytes() const;

    // The same rules for one parsed JSON value (an entry of the developer track list).
    static std::optional<NowPlayingPayload> fromJson(const nlohmann::json &value);
};

}  // namespace vesk
