// The tour's features and gestures pages in the island at scale 2: the gestures page in the middle
// of the click demonstration (the miniature opening) and the features page in the middle of its
// reveal (all eight rows blurred), each drawn as a frame moves the clock on; then both at rest, and
// what the hidden gestures page schedules (nothing).
#include "FramePaint.h"
#include "TourIsland.h"

#include "Island/NotchView.h"
#include "Kit/Kit.h"
#include "Onboarding/OnboardingIslandView.h"

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

using TourPages = bench::TourIsland;

// Frames of 1/60 s from `from` seconds after the page turned, wrapping back every `span` seconds.
void paintMoving(TourPages &tour, benchmark::State &state, double span)
{
    double moved = 0;
    bench::paintFrames(tour.tree, state, QSize(1520, 600), [&] {
        tour.time.advance(1.0 / 60);
        tour.tree.update();
        moved += 1.0 / 60;
        if (moved > span) {
            state.PauseTiming();
            moved = 0;
            state.ResumeTiming();
        }
    });
}

void BM_GesturesPageMidClick(benchmark::State &state)
{
    TourPages tour(2);
    tour.time.advance(2.4 + 0.95);  // the walk is on "click": pressed, the island about to open
    paintMoving(tour, state, 0.5);
}
BENCHMARK(BM_GesturesPageMidClick)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_FeaturesPageMidReveal(benchmark::State &state)
{
    // The rows fade in one after another from 0.1 s after the page turns, the last at 0.28 s; from
    // 0.27 to 0.33 s seven or all eight of them are drawn blurred, while the pages still change.
    constexpr double revealed = 0.25;
    TourPages tour(0);
    tour.time.advance(2);
    tour.model->setOnboardingPage(1);
    tour.time.advance(revealed);
    int frames = 0;
    bench::paintFrames(tour.tree, state, QSize(1520, 600), [&] {
        // Hold the reveal there: turn away and back every 5 frames. The half second away is not a
        // frame of the reveal, so it is not timed.
        if (++frames % 5 == 0) {
            state.PauseTiming();
            tour.model->setOnboardingPage(0);
            tour.time.advance(0.5);
            tour.model->setOnboardingPage(1);
            tour.time.advance(revealed);
            state.ResumeTiming();
        }
        tour.time.advance(1.0 / 60);
        tour.tree.update();
    });
}
BENCHMARK(BM_FeaturesPageMidReveal)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_TourPagesAtRest(benchmark::State &state)
{
    TourPages tour(int(state.range(0)));
    tour.time.advance(3);
    bench::paintFrames(tour.tree, state);
    state.SetLabel(state.range(0) == 1 ? "features" : "gestures");
}
BENCHMARK(BM_TourPagesAtRest)->Arg(1)->Arg(2)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The gestures page hidden behind the music page: what stays scheduled on the main queue.
void BM_HiddenGesturesPageSchedules(benchmark::State &state)
{
    TourPages tour(2);
    tour.time.advance(1);
    tour.model->setOnboardingPage(3);
    tour.time.advance(3);
    const size_t pending = tour.time.queue().pendingCount();
    tour.time.advance(20);
    for (auto _ : state)
        benchmark::DoNotOptimize(tour.time.queue().pendingCount());
    state.counters["pendingBefore"] = double(pending);
    state.counters["pendingAfter20s"] = double(tour.time.queue().pendingCount());
}
BENCHMARK(BM_HiddenGesturesPageSchedules);

}  // namespace
