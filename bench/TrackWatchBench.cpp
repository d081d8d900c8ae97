// TrackWatch's per-report cost: a player's MPRIS metadata decoded and written as one line, and the
// artwork, the only large item, encoded or compared.
#include "TrackWatch/LineBuilder.h"
#include "TrackWatch/MprisPlayer.h"
#include "TrackWatch/NowPlayingSnapshot.h"

#include <QDBusObjectPath>

#include <benchmark/benchmark.h>

using namespace trackwatch;

namespace {

QVariantMap typicalMetadata()
{
    return {
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/track/42")))},
        {QStringLiteral("xesam:title"), QStringLiteral("A Fairly Long Track Title (Remastered 2011)")},
        {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("First Artist"), QStringLiteral("Second Artist")}},
        {QStringLiteral("xesam:album"), QStringLiteral("The Album")},
        {QStringLiteral("xesam:url"), QStringLiteral("file:///music/track.flac")},
        {QStringLiteral("xesam:trackNumber"), 7},
        {QStringLiteral("mpris:length"), qlonglong(245'000'000)},
        {QStringLiteral("mpris:artUrl"), QStringLiteral("https://example.org/cover/abc.jpg")},
    };
}

InfoBytes artwork(std::size_t size)
{
    InfoBytes bytes(size);
    std::uint32_t x = 12345;
    for (auto &b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = std::uint8_t(x >> 24);
    }
    return bytes;
}

// From the player's Metadata property to the text of the line, without artwork.
void BM_MprisMetadataToLine(benchmark::State &state)
{
    const QVariantMap metadata = typicalMetadata();
    LineBuilder lines;
    for (auto _ : state) {
        MprisPlayer player;
        player.apply(QStringLiteral("Metadata"), metadata);
        player.apply(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing"));
        NowPlayingSnapshot snapshot(player, 61'000'000, 1.7e9, {});
        const NowPlayingInfo info = copyInfo(*snapshot.dictionary());
        auto line = lines.publish(&info, true, std::string("org.example.Player"));
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(BM_MprisMetadataToLine);

void BM_Base64OneMegabyte(benchmark::State &state)
{
    const InfoBytes bytes = artwork(1 << 20);
    for (auto _ : state) {
        auto text = base64Encode(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(bytes.size()));
}
BENCHMARK(BM_Base64OneMegabyte);

// A report whose 1 MB artwork is new: encoded, serialised and slash-escaped.
void BM_LineWithNewArtworkOneMegabyte(benchmark::State &state)
{
    NowPlayingInfo first{{"kMRMediaRemoteNowPlayingInfoTitle", std::string("Song")},
                         {"kMRMediaRemoteNowPlayingInfoArtworkData", artwork(1 << 20)}};
    NowPlayingInfo second = first;
    std::get<InfoBytes>(second["kMRMediaRemoteNowPlayingInfoArtworkData"])[0] ^= 1;
    LineBuilder lines;
    bool flip = false;
    for (auto _ : state) {
        auto line = lines.publish(flip ? &second : &first, true, std::nullopt);
        benchmark::DoNotOptimize(line);
        flip = !flip;
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_LineWithNewArtworkOneMegabyte);

// The same 1 MB artwork again: a byte comparison and "artworkSame".
void BM_LineWithSameArtworkOneMegabyte(benchmark::State &state)
{
    NowPlayingInfo info{{"kMRMediaRemoteNowPlayingInfoTitle", std::string("Song")},
                        {"kMRMediaRemoteNowPlayingInfoArtworkData", artwork(1 << 20)}};
    LineBuilder lines;
    lines.publish(&info, true, std::nullopt);
    for (auto _ : state) {
        auto line = lines.publish(&info, true, std::nullopt);
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(BM_LineWithSameArtworkOneMegabyte);

}  // namespace
