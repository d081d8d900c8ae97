// A frame of the island view as its panel paints it: 760 x 300 points at 2 device pixels per
// point, with empty content slots, closed and open. The plan is measured apart, since every
// evaluation runs it.
#include "FramePaint.h"
#include "SimIsland.h"

#include "Island/NotchView.h"
#include "Island/NotchViewPlan.h"
#include "Kit/Kit.h"

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

struct IslandView : bench::SimIsland {
    IslandView()
    {
        tree.setRoot(kit::view(NotchView{model.get()}));
        time.advance(1);
    }
    void paintFrame(benchmark::State &state) { bench::paintFrames(tree, state); }
    kit::Tree tree{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
};

}  // namespace

static void BM_IslandViewClosedFrame(benchmark::State &state)
{
    IslandView island;
    island.paintFrame(state);
}
BENCHMARK(BM_IslandViewClosedFrame)->Unit(benchmark::kMicrosecond);

static void BM_IslandViewOpenFrame(benchmark::State &state)
{
    IslandView island;
    island.model->open(false);
    island.time.advance(2);
    island.paintFrame(state);
}
BENCHMARK(BM_IslandViewOpenFrame)->Unit(benchmark::kMicrosecond);

static void BM_IslandViewPlan(benchmark::State &state)
{
    IslandView island;
    const NotchViewMemory memory = NotchViewMemory::of(*island.model);
    for (auto _ : state)
        benchmark::DoNotOptimize(planNotchView(NotchViewInput::of(*island.model), memory));
}
BENCHMARK(BM_IslandViewPlan)->Unit(benchmark::kMicrosecond);

