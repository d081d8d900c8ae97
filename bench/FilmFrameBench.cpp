// One frame of a film: the open island's tree (with the application's views) rendered at scale 2
// on the main thread, as each 1/60 s tick does, and that frame's PNG encoding, as one writer does.
// A tick must stay well inside its 16.7 ms; a few writers must keep up with 60 frames a second.
#include "SimIsland.h"

#include "App/ViewWiring.h"
#include "Diagnostics/DebugFiles.h"
#include "Diagnostics/WindowSnapshot.h"
#include "Island/NotchView.h"
#include "Kit/Kit.h"

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

struct OpenIsland : bench::SimIsland {
    OpenIsland()
    {
        static const bool installed = (installStandardViews(), true);
        (void)installed;
        tree.setRoot(kit::view(NotchView{model.get()}));
        model->open(false);
        time.advance(2);
        tree.update();
    }
    WindowSnapshot::Window window() const
    {
        return {&tree, true, QRect(376, 0, int(NotchView::panelWidth), int(NotchView::panelHeight)), 2};
    }
    kit::Tree tree{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
};

}  // namespace

static void BM_FilmFrameRender(benchmark::State &state)
{
    OpenIsland island;
    for (auto _ : state) {
        QImage frame = WindowSnapshot::image(island.window(), false);
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(BM_FilmFrameRender)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_FilmFramePngEncode(benchmark::State &state)
{
    OpenIsland island;
    const QImage frame = WindowSnapshot::image(island.window(), false);
    if (frame.isNull()) {
        state.SkipWithError("the open island rendered nothing");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        const QByteArray png = debugfiles::png(frame);
        bytes = size_t(png.size());
        benchmark::DoNotOptimize(png.constData());
    }
    state.counters["pngBytes"] = double(bytes);
}
BENCHMARK(BM_FilmFramePngEncode)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
