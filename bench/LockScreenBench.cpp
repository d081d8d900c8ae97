// The lock screen: building the two-click clip, and frames of the shown card (600 x 600 artwork,
// looping bars, the scrubber's row) and of the shown padlock at 2 device pixels per point. Each
// frame moves the virtual clock 1/60 s and paints the window's whole tree.
#include "FramePaint.h"
#include "SimIsland.h"

#include "LockScreen/LockNotchView.h"
#include "LockScreen/LockScreenView.h"
#include "LockScreen/LockSounds.h"
#include "NowPlaying/NowPlayingService.h"

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

void BM_LockClipTwoClicks(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(LockSounds::wav({1650, 1100}));
}
BENCHMARK(BM_LockClipTwoClicks)->Unit(benchmark::kMicrosecond);

struct LockIsland : bench::SimIsland {
    void play()
    {
        auto image = std::make_shared<QImage>(600, 600, QImage::Format_ARGB32);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 600; ++x)
                image->setPixel(x, y, qRgb((x * 7 + y) % 256, (y * 3) % 256, (x ^ y) % 256));
        NowPlayingService &service = model->nowPlaying();
        service.artwork = NowPlayingService::Image(image);
        service.artworkVersion = service.artworkVersion.peek() + 1;
        Track track;
        track.title = "A Rather Long Song Title Over Two Words";
        track.artist = "The Artist";
        track.duration = 240;
        track.isPlaying = true;
        track.timestamp = time.wallNow();
        service.track = track;
        time.advance(0.5);
    }
    void frames(kit::Tree &tree, benchmark::State &state, QSize pixels)
    {
        bench::paintFrames(tree, state, pixels, [this] { time.advance(1.0 / 60); });
    }
};

void BM_LockCardFrame(benchmark::State &state)
{
    LockIsland island;
    island.play();
    kit::Tree tree(QSizeF(400, 240));
    tree.setRoot(kit::view(LockScreenView{island.model.get()}));
    island.model->isScreenLocked = true;
    island.time.advance(2);  // shown and settled; the bars loop
    if (!tree.runsLoops())
        state.SkipWithError("the card's bars do not loop");
    island.frames(tree, state, QSize(800, 480));
}
BENCHMARK(BM_LockCardFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PadlockFrame(benchmark::State &state)
{
    LockIsland island;
    kit::Tree tree(QSizeF(420, 80));
    tree.setRoot(kit::view(LockNotchView{island.model.get()}));
    island.model->lockIndicator = NotchViewModel::LockIndicator::locked;
    island.time.advance(1);
    island.frames(tree, state, QSize(840, 160));
}
BENCHMARK(BM_PadlockFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
