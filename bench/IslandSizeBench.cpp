// The island's state and size are recomputed on every view update and every hit test, so they
// must stay cheap: field reads, arithmetic and at most one cached-font text measurement.
#include "SimIsland.h"

#include "NowPlaying/NowPlayingService.h"

#include <benchmark/benchmark.h>

using namespace vesk;

using Island = bench::SimIsland;

static void BM_StateWithLiveTrack(benchmark::State &state)
{
    Island island;
    Track track;
    track.title = "Song";
    track.isPlaying = true;
    island.model->nowPlaying().track = track;
    for (auto _ : state)
        benchmark::DoNotOptimize(island.model->state());
}
BENCHMARK(BM_StateWithLiveTrack);

static void BM_SizeOfAMeasuredReadout(benchmark::State &state)
{
    Island island;
    const Peek battery = Peek::battery(42, true);
    island.model->show(battery, 100);
    island.model->setTrailingWidth(30, battery);
    for (auto _ : state)
        benchmark::DoNotOptimize(island.model->size());
}
BENCHMARK(BM_SizeOfAMeasuredReadout);

static void BM_SizeOfAnUnmeasuredReadout(benchmark::State &state)
{
    Island island;
    island.model->show(Peek::inputSource("Deutsch (Schweiz)"), 100);
    for (auto _ : state)
        benchmark::DoNotOptimize(island.model->size());
}
BENCHMARK(BM_SizeOfAnUnmeasuredReadout);

static void BM_RefreshOngoingWithEvents(benchmark::State &state)
{
    Island island;
    for (int i = 0; i < 20; ++i) {
        const double start = island.time.wallNow() + 1800 + i * 600;
        island.calendar.add({std::nullopt, QStringLiteral("Meeting %1").arg(i), start, start + 600, false, QColor(Qt::red)});
    }
    for (auto _ : state)
        island.model->refreshOngoing();
}
BENCHMARK(BM_RefreshOngoingWithEvents);
