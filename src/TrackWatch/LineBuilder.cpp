#include "TrackWatch/LineBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trackwatch {

namespace {

const InfoValue *find(const NowPlayingInfo &info, std::string_view key)
{
    auto it = info.find(key);
    return it == info.end() ? nullptr : &it->second;
}

const std::string *stringAt(const NowPlayingInfo &info, std::string_view key)
{
    return std::get_if<std::string>(find(info, key));
}

const InfoNumber *numberAt(const NowPlayingInfo &info, std::string_view key)
{
    return std::get_if<InfoNumber>(find(info, key));
}

// A mode number as a 32-bit integer, fraction dropped; values that do not fit saturate.
std::int32_t modeValue(const InfoNumber &number)
{
    if (number.isInteger)
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(
            number.integer, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    if (std::isnan(number.value))
        return 0;
    return static_cast<std::int32_t>(std::clamp(std::trunc(number.value), double(std::numeric_limits<std::int32_t>::min()),
                                                double(std::numeric_limits<std::int32_t>::max())));
}

}  // namespace

NowPlayingInfo copyInfo(const MRDictionary &dictionary)
{
    NowPlayingInfo info;
    for (std::size_t i = 0; i < dictionary.count; ++i) {
        const MRDictionaryEntry &entry = dictionary.entries[i];
        if (!entry.key)
            continue;
        const MRValue &v = entry.value;
        switch (v.type) {
        case MRValueTypeString:
            if (v.string)
                info.insert_or_assign(entry.key, std::string(v.string));
            break;
        case MRValueTypeNumber:
            info.insert_or_assign(entry.key, InfoNumber{v.number, v.integer, v.isInteger != 0});
            break;
        case MRValueTypeDate:
            info.insert_or_assign(entry.key, InfoDate{v.number});
            break;
        case MRValueTypeData:
            info.insert_or_assign(entry.key, v.bytes ? InfoBytes(v.bytes, v.bytes + v.length) : InfoBytes{});
            break;
        }
    }
    return info;
}

std::string base64Encode(const std::uint8_t *bytes, std::size_t length)
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out((length + 2) / 3 * 4, '=');
    char *o = out.data();
    std::size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        std::uint32_t n = std::uint32_t(bytes[i]) << 16 | std::uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        *o++ = alphabet[n >> 18];
        *o++ = alphabet[(n >> 12) & 63];
        *o++ = alphabet[(n >> 6) & 63];
        *o++ = alphabet[n & 63];
    }
    if (std::size_t rest = length - i) {
        std::uint32_t n = std::uint32_t(bytes[i]) << 16 | (rest == 2 ? std::uint32_t(bytes[i + 1]) << 8 : 0);
        *o++ = alphabet[n >> 18];
        *o++ = alphabet[(n >> 12) & 63];
        if (rest == 2)
            *o++ = alphabet[(n >> 6) & 63];
    }
    return out;
}

std::optional<nlohmann::json> finiteNumber(const InfoValue *value)
{
    const auto *number = std::get_if<InfoNumber>(value);
    if (!number)
        return std::nullopt;
    if (number->isInteger)
        return nlohmann::json(number->integer);
    if (!std::isfinite(number->value))
        return std::nullopt;
    return nlohmann::json(number->value);
}

std::string escapeSlashes(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 32);
    std::size_t from = 0;
    for (std::size_t slash; (slash = text.find('/', from)) != std::string_view::npos; from = slash + 1) {
        escaped.append(text, from, slash - from);
        escaped += "\\/";
    }
    escaped.append(text, from);
    return escaped;
}

std::optional<std::string> serializeLine(const nlohmann::json &object)
{
    try {
        // A slash can only stand inside a string, so escaping every one keeps the text valid JSON.
        return escapeSlashes(object.dump());
    } catch (const nlohmann::json::exception &) {
        return std::nullopt;
    }
}

std::string_view capText(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t cut = limit;
    // Back off over continuation bytes to the start of the sequence that would be split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

std::optional<std::string> LineBuilder::publish(const NowPlayingInfo *info, bool playing,
                                                const std::optional<std::string> &bundleID)
{
    const std::string *title = info ? stringAt(*info, "kMRMediaRemoteNowPlayingInfoTitle") : nullptr;
    if (!title || title->empty()) {
        lastArtwork_.reset();
        return std::string(R"({"empty":true})");
    }

    nlohmann::json line = nlohmann::json::object();
    line["title"] = capText(*title);
    line["playing"] = playing;
    if (bundleID)
        line["bundleID"] = capText(*bundleID);
    if (const auto *artist = stringAt(*info, "kMRMediaRemoteNowPlayingInfoArtist"))
        line["artist"] = capText(*artist);
    if (const auto *album = stringAt(*info, "kMRMediaRemoteNowPlayingInfoAlbum"))
        line["album"] = capText(*album);
    if (auto duration = finiteNumber(find(*info, "kMRMediaRemoteNowPlayingInfoDuration")))
        line["duration"] = *duration;
    if (auto elapsed = finiteNumber(find(*info, "kMRMediaRemoteNowPlayingInfoElapsedTime")))
        line["elapsed"] = *elapsed;
    if (auto rate = finiteNumber(find(*info, "kMRMediaRemoteNowPlayingInfoPlaybackRate")))
        line["rate"] = *rate;
    // Truth of a number: any non-zero value; an integer is judged by its exact value.
    auto truth = [](const InfoNumber &n) { return n.isInteger ? n.integer != 0 : n.value != 0; };
    if (const auto *isExplicit = numberAt(*info, "kMRMediaRemoteNowPlayingInfoIsExplicitTrack"))
        line["explicit"] = truth(*isExplicit);
    if (const auto *liked = numberAt(*info, "kMRMediaRemoteNowPlayingInfoIsLiked"))
        line["liked"] = truth(*liked);
    if (const auto *shuffle = numberAt(*info, "kMRMediaRemoteNowPlayingInfoShuffleMode"))
        shuffleMode = modeValue(*shuffle);
    if (const auto *repeat = numberAt(*info, "kMRMediaRemoteNowPlayingInfoRepeatMode"))
        repeatMode = modeValue(*repeat);
    if (shuffleMode != 0)
        line["shuffle"] = shuffleMode;
    if (repeatMode != 0)
        line["repeat"] = repeatMode;
    if (const auto *timestamp = std::get_if<InfoDate>(find(*info, "kMRMediaRemoteNowPlayingInfoTimestamp"));
        timestamp && std::isfinite(timestamp->secondsSince1970))
        line["timestamp"] = timestamp->secondsSince1970;

    const auto *artwork = std::get_if<InfoBytes>(find(*info, "kMRMediaRemoteNowPlayingInfoArtworkData"));
    std::string encodedArtwork;
    if (artwork && !artwork->empty()) {
        if (lastArtwork_ && *lastArtwork_ == *artwork) {
            line["artworkSame"] = true;
        } else {
            lastArtwork_ = *artwork;
            encodedArtwork = base64Encode(artwork->data(), artwork->size());
        }
    } else {
        lastArtwork_.reset();
    }
    auto text = serializeLine(line);
    if (text && !encodedArtwork.empty()) {
        // Base64 needs no JSON escaping but for its slashes, so the megabytes of artwork are
        // spliced into the finished text instead of passing through the serializer.
        const std::string escaped = escapeSlashes(encodedArtwork);
        text->pop_back();  // the closing brace of a non-empty object
        text->reserve(text->size() + escaped.size() + 16);
        *text += R"(,"artwork":")";
        *text += escaped;
        *text += "\"}";
    }
    return text;
}

}  // namespace trackwatch
