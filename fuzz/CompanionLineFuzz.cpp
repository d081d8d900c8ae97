// Fuzzes the application's reader of companion lines. Besides crashes and undefined behaviour it
// checks the depth-limited parse every outside JSON goes through against the parser's own count of
// nesting, and that a decoded line holds exactly the values the text gave its keys.
#include "NowPlaying/NowPlayingPayload.h"
#include "Platform/JsonText.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Counts nesting while the parser reads, without building any value.
struct DepthCounter : nlohmann::json_sax<nlohmann::json> {
    int depth = 0;
    int deepest = 0;
    bool open()
    {
        deepest = std::max(deepest, ++depth);
        return true;
    }
    bool close()
    {
        --depth;
        return true;
    }
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t &) override { return true; }
    bool string(string_t &) override { return true; }
    bool binary(binary_t &) override { return true; }
    bool start_object(std::size_t) override { return open(); }
    bool key(string_t &) override { return true; }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &) override { return false; }
};

template <typename T>
void same(const std::optional<T> &decoded, const nlohmann::json &object, const char *key)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        check(!decoded);
        return;
    }
    check(decoded.has_value());
    if constexpr (std::is_same_v<T, int>)
        check(double(*decoded) == it->get<double>());
    else
        check(*decoded == it->get<T>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);
    const auto payload = vesk::NowPlayingPayload::decode(line);

    DepthCounter counter;
    // The parser stops at a NUL byte; JSON never holds one.
    const bool wellFormed = line.find('\0') == std::string::npos
        && nlohmann::json::sax_parse(line, &counter, nlohmann::json::input_format_t::json, true);
    const int scanned = vesk::jsonNestingDepth(line, INT_MAX);
    if (wellFormed)
        check(scanned == counter.deepest);
    const auto parsed = vesk::parseUntrustedJson(line);
    check(parsed.is_discarded() == (!wellFormed || counter.deepest > vesk::kJsonDepthLimit));

    // The shorter way long strings take through the parse changes nothing.
    if (!parsed.is_discarded())
        check(parsed == nlohmann::json::parse(line));

    if (!payload)
        return 0;
    // The one-pass Base64 decoder keeps Qt's strict rules.
    if (payload->artwork) {
        const auto qt = QByteArray::fromBase64Encoding(QByteArray::fromStdString(*payload->artwork),
                                                       QByteArray::AbortOnBase64DecodingErrors);
        const auto ours = payload->artworkBytes();
        check(ours.has_value() == (qt.decodingStatus == QByteArray::Base64DecodingStatus::Ok));
        if (ours)
            check(*ours == qt.decoded);
    }
    check(parsed.is_object());
    same(payload->empty, parsed, "empty");
    same(payload->title, parsed, "title");
    same(payload->artist, parsed, "artist");
    same(payload->album, parsed, "album");
    same(payload->duration, parsed, "duration");
    same(payload->elapsed, parsed, "elapsed");
    same(payload->timestamp, parsed, "timestamp");
    same(payload->rate, parsed, "rate");
    same(payload->playing, parsed, "playing");
    same(payload->explicitFlag, parsed, "explicit");
    same(payload->shuffle, parsed, "shuffle");
    same(payload->repeat, parsed, "repeat");
    same(payload->liked, parsed, "liked");
    same(payload->bundleID, parsed, "bundleID");
    same(payload->artwork, parsed, "artwork");
    same(payload->artworkSame, parsed, "artworkSame");
    return 0;
}
