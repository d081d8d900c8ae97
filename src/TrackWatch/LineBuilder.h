#pragma once

// The report side of the companion line protocol: one now-playing report becomes one JSON line,
// with the artwork and mode memory carried from line to line.

#include "TrackWatch/MediaRemote.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace trackwatch {

struct InfoNumber {
    double value = 0;
    std::int64_t integer = 0;
    bool isInteger = false;
};
struct InfoDate {
    double secondsSince1970 = 0;
};
using InfoBytes = std::vector<std::uint8_t>;
using InfoValue = std::variant<std::string, InfoNumber, InfoDate, InfoBytes>;
// A copy of the framework's information dictionary, kept beyond its callback.
using NowPlayingInfo = std::map<std::string, InfoValue, std::less<>>;

NowPlayingInfo copyInfo(const MRDictionary &dictionary);

// Standard Base64 with padding, no line breaks.
std::string base64Encode(const std::uint8_t *bytes, std::size_t length);

// The value as a JSON number when it is a number with a finite value (integers stay integers).
std::optional<nlohmann::json> finiteNumber(const InfoValue *value);

// The longest text field (title, artist, album, bundle identifier) a line carries, in bytes of
// UTF-8: players and their metadata are outside our control.
inline constexpr std::size_t kTextFieldLimit = 16 * 1024;

// The text cut to at most `limit` bytes, never inside a UTF-8 sequence.
std::string_view capText(std::string_view text, std::size_t limit = kTextFieldLimit);

// The text with every forward slash escaped as "\/".
std::string escapeSlashes(std::string_view text);

// Compact JSON text with every forward slash escaped, as the protocol's readers expect; nothing
// when the object cannot be serialised (a string that is not UTF-8).
std::optional<std::string> serializeLine(const nlohmann::json &object);

class LineBuilder {
public:
    // The line for one report, without its line feed; nothing when the object cannot be
    // serialised (the memory is updated all the same).
    std::optional<std::string> publish(const NowPlayingInfo *info, bool playing,
                                       const std::optional<std::string> &bundleID);

    // The shuffle and repeat toggles: 3 when the remembered mode is below 2, else 1. The new mode
    // is remembered and returned.
    std::int32_t toggleShuffle() { return shuffleMode = shuffleMode <= 1 ? 3 : 1; }
    std::int32_t toggleRepeat() { return repeatMode = repeatMode <= 1 ? 3 : 1; }

    std::int32_t shuffleMode = 0;
    std::int32_t repeatMode = 0;

private:
    std::optional<InfoBytes> lastArtwork_;
};

}  // namespace trackwatch
