#include "NowPlaying/NowPlayingPayload.h"

#include "Platform/JsonText.h"

#include <array>
#include <cmath>

namespace vesk {

namespace {

enum class Kind { boolean, string, number, integer };

bool fits(const nlohmann::json &value, Kind kind)
{
    switch (kind) {
    case Kind::boolean:
        return value.is_boolean();
    case Kind::string:
        return value.is_string();
    case Kind::number:
        return value.is_number();
    case Kind::integer:
        // A whole number within int range; 2.0 is accepted as 2, 2.5 is not.
        if (value.is_number_integer())
            return value.get<long long>() >= INT32_MIN && value.get<long long>() <= INT32_MAX;
        if (value.is_number_float()) {
            // The range first: converting a double outside it to an integer is undefined.
            const double d = value.get<double>();
            return d >= INT32_MIN && d <= INT32_MAX && d == std::trunc(d);
        }
        return false;
    }
    return false;
}

template <typename T>
bool read(const nlohmann::json &object, const char *key, Kind kind, std::optional<T> &out)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return true;
    if (!fits(*it, kind))
        return false;
    if constexpr (std::is_same_v<T, int>)
        out = static_cast<int>(it->get<double>());
    else
        out = it->get<T>();
    return true;
}

}  // namespace

std::optional<NowPlayingPayload> NowPlayingPayload::decode(std::string_view line)
{
    auto json = parseUntrustedJson(line);
    if (json.is_discarded())
        return std::nullopt;
    return fromJson(json);
}

std::optional<NowPlayingPayload> NowPlayingPayload::fromJson(const nlohmann::json &json)
{
    if (!json.is_object())
        return std::nullopt;
    NowPlayingPayload p;
    bool ok = read(json, "empty", Kind::boolean, p.empty) && read(json, "title", Kind::string, p.title)
        && read(json, "artist", Kind::string, p.artist) && read(json, "album", Kind::string, p.album)
        && read(json, "duration", Kind::number, p.duration) && read(json, "elapsed", Kind::number, p.elapsed)
        && read(json, "timestamp", Kind::number, p.timestamp) && read(json, "rate", Kind::number, p.rate)
        && read(json, "playing", Kind::boolean, p.playing) && read(json, "explicit", Kind::boolean, p.explicitFlag)
        && read(json, "shuffle", Kind::integer, p.shuffle) && read(json, "repeat", Kind::integer, p.repeat)
        && read(json, "liked", Kind::boolean, p.liked) && read(json, "bundleID", Kind::string, p.bundleID)
        && read(json, "artwork", Kind::string, p.artwork) && read(json, "artworkSame", Kind::boolean, p.artworkSame);
    if (!ok)
        return std::nullopt;
    return p;
}

std::optional<QByteArray> NowPlayingPayload::artworkBytes() const
{
    if (!artwork)
        return std::nullopt;
    static const auto values = [] {
        std::array<unsigned char, 256> table;
        table.fill(0xFF);
        const char *alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            table[static_cast<unsigned char>(alphabet[i])] = static_cast<unsigned char>(i);
        return table;
    }();
    const std::string &text = *artwork;
    const size_t n = text.size();
    size_t padding = 0;
    while (padding < n && text[n - 1 - padding] == '=')
        ++padding;
    if (padding > 0 && (padding > 2 || n % 4 != 0))
        return std::nullopt;
    const size_t count = n - padding;
    const auto *in = reinterpret_cast<const unsigned char *>(text.data());
    QByteArray bytes(qsizetype(count / 4 * 3 + (count % 4 == 3 ? 2 : count % 4 == 2 ? 1 : 0)), Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(bytes.data());
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const unsigned a = values[in[i]], b = values[in[i + 1]], c = values[in[i + 2]], d = values[in[i + 3]];
        if ((a | b | c | d) & 0x80)
            return std::nullopt;
        const unsigned group = a << 18 | b << 12 | c << 6 | d;
        *out++ = static_cast<unsigned char>(group >> 16);
        *out++ = static_cast<unsigned char>(group >> 8);
        *out++ = static_cast<unsigned char>(group);
    }
    unsigned group = 0;
    for (size_t j = i; j < count; ++j) {
        const unsigned value = values[in[j]];
        if (value & 0x80)
            return std::nullopt;
        group = group << 6 | value;
    }
    switch (count - i) {
    case 2:
        *out++ = static_cast<unsigned char>(group >> 4);
        break;
    case 3:
        *out++ = static_cast<unsigned char>(group >> 10);
        *out++ = static_cast<unsigned char>(group >> 2);
        break;
    default:  // 0, or a lone last character that completes no byte
        break;
    }
    return bytes;
}

}  // namespace vesk
