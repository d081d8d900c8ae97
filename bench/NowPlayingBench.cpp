// The now-playing service's report path: a companion line with new artwork of about 1 MB (JPEG,
// PNG) read, decoded and published with its accent colour; a same-track line that keeps its
// artwork; the accent of a 600 x 600 image; and a pinned player left idle, which must not be asked
// anything.
#include "NowPlaying/ArtworkImage.h"
#include "Model/Defaults.h"
#include "NowPlaying/NowPlayingService.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimCompanionHost.h"
#include "Platform/sim/SimDesktopApps.h"
#include "Platform/sim/SimMprisBus.h"
#include "Platform/sim/SimWebFetcher.h"
#include "Base/VirtualTime.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

using namespace vesk;

namespace {

// A picture with the detail of a photograph: soft gradients under fine noise, so that it
// compresses as one does.
QImage photo(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-40, 40);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int r = 128 + 100 * x / width + noise(random) - 50;
            const int g = 60 + 120 * y / height + noise(random);
            const int b = 200 - 150 * (x + y) / (width + height) + noise(random);
            row[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

QByteArray encode(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// Grows the picture until its encoding reaches about 1 MB.
QByteArray aboutOneMegabyte(const char *format, unsigned seed)
{
    QByteArray bytes;
    for (int side = 256; bytes.size() < 1'000'000; side += 32)
        bytes = encode(photo(side, side, seed), format, 90);
    return bytes;
}

std::string line(const std::string &title, const QByteArray &artwork, double elapsed)
{
    std::string text = "{\"title\":\"" + title + "\",\"artist\":\"Artist\",\"album\":\"Album\",\"duration\":240,"
                       "\"elapsed\":" + std::to_string(elapsed) + ",\"rate\":1,\"playing\":true";
    if (!artwork.isEmpty())
        text += ",\"artwork\":\"" + artwork.toBase64().toStdString() + "\"";
    else
        text += ",\"artworkSame\":true";
    return text + "}\n";
}

// The service on the simulated platform and a virtual clock, its companion running.
struct Service {
    Service()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        CompanionHost::setShared(&host);
        MprisBus::setShared(&bus);
        WebFetcher::setShared(&web);
        DesktopApps::setShared(&apps);
        service = std::make_unique<NowPlayingService>(settings::audioSource, "http://web.test");
        service->start();
    }
    ~Service()
    {
        service.reset();
        CompanionHost::setShared(nullptr);
        MprisBus::setShared(nullptr);
        WebFetcher::setShared(nullptr);
        DesktopApps::setShared(nullptr);
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
    }
    void read(const std::string &text) { host.emitOutput(QByteArray::fromStdString(text)); }

    VirtualTime time;
    SimCompanionHost host;
    SimMprisBus bus;
    SimWebFetcher web;
    SimDesktopApps apps;
    std::unique_ptr<NowPlayingService> service;
};

// Two tracks in turn, each with its own artwork: every line is a new track published at once.
void newArtworkLines(benchmark::State &state, const char *format)
{
    const QByteArray first = aboutOneMegabyte(format, 1), second = aboutOneMegabyte(format, 2);
    const std::string lines[] = {line("One", first, 10), line("Two", second, 10)};
    Service s;
    int n = 0;
    for (auto _ : state) {
        const int before = s.service->artworkVersion.peek();
        s.read(lines[n++ % 2]);
        if (s.service->artworkVersion.peek() != before + 1 || !s.service->artwork.peek()) {
            state.SkipWithError("the artwork was not published");
            break;
        }
    }
    state.counters["bytes"] = double(first.size());
    state.counters["base64Line"] = double(lines[0].size());
}

void BM_CompanionLineNewJpeg(benchmark::State &state) { newArtworkLines(state, "JPEG"); }
BENCHMARK(BM_CompanionLineNewJpeg)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_CompanionLineNewPng(benchmark::State &state) { newArtworkLines(state, "PNG"); }
BENCHMARK(BM_CompanionLineNewPng)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same track again, its artwork kept ("artworkSame"), the position moving on.
void BM_CompanionLineArtworkSame(benchmark::State &state)
{
    Service s;
    s.read(line("One", encode(photo(600, 600, 3), "JPEG", 90), 10));
    const std::string lines[] = {line("One", {}, 10.5), line("One", {}, 11.0)};
    const auto image = s.service->artwork.peek();
    int n = 0;
    for (auto _ : state)
        s.read(lines[n++ % 2]);
    if (s.service->artwork.peek() != image || !image)
        state.SkipWithError("the artwork did not stay");
}
BENCHMARK(BM_CompanionLineArtworkSame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_AccentOf600x600(benchmark::State &state)
{
    const QImage image = photo(600, 600, 4).convertToFormat(QImage::Format_ARGB32);
    for (auto _ : state)
        benchmark::DoNotOptimize(artwork::accent(image));
}
BENCHMARK(BM_AccentOf600x600)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Spotify pinned and playing, then left alone for ten minutes of the virtual clock: the calls it
// was asked in that time (none: a pinned player is read on its notifications and after commands).
void BM_PinnedIdlePlayerTenMinutes(benchmark::State &state)
{
    Service s;
    auto &player = s.bus.player(QStringLiteral("org.mpris.MediaPlayer2.spotify"));
    player.desktopEntry = QStringLiteral("spotify");
    player.properties = {{QStringLiteral("PlaybackStatus"), QStringLiteral("Playing")},
                         {QStringLiteral("Metadata"), QVariantMap{{QStringLiteral("xesam:title"), QStringLiteral("Idle")}}}};
    UserDefaults::standard().set(settings::audioSource, "spotify");
    s.time.advance(1);
    const size_t before = s.bus.calls().size();
    for (auto _ : state)
        s.time.advance(600);
    state.counters["callsWhileIdle"] = double(s.bus.calls().size() - before);
}
BENCHMARK(BM_PinnedIdlePlayerTenMinutes)->Unit(benchmark::kMicrosecond)->Iterations(10);

}  // namespace
