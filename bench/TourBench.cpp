// The first-run tour in the island, painted as its panel paints it (760 x 300 points at scale 2):
// each page at rest, a page change half way, and the tour against its current page drawn alone.
// Then what a resting tour costs: an unchanged description asks for no frame, and a hidden access
// page reads nothing.
#include "FramePaint.h"
#include "TourIsland.h"

#include "Island/NotchView.h"
#include "Kit/Kit.h"
#include "Onboarding/OnboardingIslandView.h"

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

struct Tour : bench::TourIsland {
    explicit Tour(int page) : TourIsland(page) { time.advance(3); }
};

void BM_TourPageAtRest(benchmark::State &state)
{
    Tour tour(int(state.range(0)));
    bench::paintFrames(tour.tree, state);
    state.SetLabel(OnboardingIslandView::caseName(OnboardingIslandView::Page(state.range(0))).toStdString());
}
BENCHMARK(BM_TourPageAtRest)->DenseRange(0, 7)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// "Next" from the music page, 0.12 s into the page spring: both pages drawn half faded.
void BM_TourMidPageChange(benchmark::State &state)
{
    Tour tour(3);
    tour.model->setOnboardingPage(4);
    tour.time.advance(0.12);
    bench::paintFrames(tour.tree, state);
}
BENCHMARK(BM_TourMidPageChange)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The music page alone, framed and placed as the tour places it, with its footer: what the tour
// would cost if it held only its current page.
void BM_TourCurrentPageAlone(benchmark::State &state)
{
    Tour tour(3);
    const OnboardingIslandView view{tour.model.get()};
    const Size size = tour.model->size();
    const double top = tour.model->notchSize().height + TourFrameMetrics::notchTopExtra;
    kit::Tree alone{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
    kit::withoutAnimation([&] {
        alone.setRoot(kit::VStack({.spacing = 0},
                                  view.content(OnboardingIslandView::Page::music)
                                      .maxFrame(kit::Alignment::top())
                                      .frame(std::nullopt, TourFrameMetrics::pageAreaHeight, kit::Alignment::top())
                                      .padding(kit::Edges::bottomOnly(TourFrameMetrics::pageGap)),
                                  view.footer(OnboardingIslandView::Page::music))
                          .padding(kit::Edges{top, 24, 16, 24})
                          .frame(size.width, size.height)
                          .background(kit::Fill(kit::Color::black()))
                          .frame(NotchView::panelWidth, NotchView::panelHeight, kit::Alignment::top()));
    });
    tour.time.advance(3);
    bench::paintFrames(alone, state);
}
BENCHMARK(BM_TourCurrentPageAlone)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The island holding a tour of the music page only (its one layer, framed as the tour frames its
// stack): the same island and page as the tour's, without the seven hidden pages. The tour on the
// music page, against this, is what its hidden pages cost.
void BM_TourCurrentPageOnlyInIsland(benchmark::State &state)
{
    Tour tour(3);
    tour.islandSlots.onboarding = [](NotchViewModel &m) {
        const OnboardingIslandView view{&m};
        const auto page = OnboardingIslandView::Page::music;
        return view.framed({view.pageLayer(page, true, true)}, page);
    };
    kit::withoutAnimation([&] { tour.tree.setRoot(kit::view(NotchView{tour.model.get(), &tour.islandSlots})); });
    tour.time.advance(3);
    bench::paintFrames(tour.tree, state);
}
BENCHMARK(BM_TourCurrentPageOnlyInIsland)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// Describing the same tour again changes nothing on screen: no frame is asked for.
void BM_TourUnchangedReconcile(benchmark::State &state)
{
    Tour tour(5);
    int framesAsked = 0;
    for (auto _ : state) {
        tour.tree.setRoot(kit::view(NotchView{tour.model.get(), &tour.islandSlots}));
        tour.tree.update();
        framesAsked += tour.tree.isAnimating() || kit::FrameDriver::shared().isScheduled();
    }
    state.counters["framesAsked"] = framesAsked;
}
BENCHMARK(BM_TourUnchangedReconcile)->Unit(benchmark::kMicrosecond);

// Ten minutes on the updates page: the access page, hidden beside it, reads nothing.
void BM_TourHiddenAccessPageReads(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Tour tour(6);
        const int before = tour.tree.evaluationCount();
        state.ResumeTiming();
        tour.time.advance(600);
        state.counters["descriptions"] = tour.tree.evaluationCount() - before;
    }
}
BENCHMARK(BM_TourHiddenAccessPageReads)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
