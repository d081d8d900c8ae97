// The island with the views the application fills it with (page tabs, open pages, readouts, the
// bubble), painted as its panel paints it: 760 x 300 points at 2 device pixels per point. Then two
// checks that a resting island costs nothing: a settled readout asks for no frame, and a paused
// countdown wakes the application once an hour.
// Qt's raster engine hands large fills to its thread pool, so the frames count the CPU time of the
// whole process: on one core that is the frame's cost.
#include "FramePaint.h"
#include "KitNodeSupport.h"
#include "SimIsland.h"

#include "Readouts/CountdownTimer.h"
#include "Island/IslandViews.h"
#include "Island/NotchView.h"
#include "Island/OpenView.h"
#include "Kit/Kit.h"
#include "Kit/DrawnItems.h"
#include "NowPlaying/NowPlayingService.h"
#include "Readouts/Views/CalendarPages.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace vesk;
using vesk::test::findKind;

namespace {

// Whether the frame driver or the tree has any frame to draw.
bool asksForFrames(const kit::Tree &tree) { return tree.isAnimating() || kit::FrameDriver::shared().isScheduled(); }

struct FilledIsland : bench::SimIsland {
    FilledIsland()
    {
        // The application's filling; the island's own slots are kept apart from the standard ones,
        // which the other island benchmarks measure empty.
        fillIslandViewSlots(islandSlots);
        static const bool pages = (fillCalendarPageSlots(OpenView::Slots::standard()), true);
        (void)pages;
    }
    void show()
    {
        kit::withoutAnimation([&] { tree.setRoot(kit::view(NotchView{model.get(), &islandSlots})); });
        time.advance(0.01);
    }
    void playTrack()
    {
        Track track;
        track.title = "Song";
        track.isPlaying = true;
        track.timestamp = time.wallNow();
        model->nowPlaying().track = track;
    }
    void usePill() { model->updateNotch(screens.screens().front(), IslandStyle::pill, false); }
    void paintFrame(benchmark::State &state) { bench::paintFrames(tree, state); }

    NotchViewSlots islandSlots;
    kit::Tree tree{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
};

}  // namespace

// The open island on its first page, which nothing fills yet, with the page dots under it.
static void BM_IslandViewsOpenTabsEmptyPage(benchmark::State &state)
{
    FilledIsland island;
    island.show();
    island.model->open(false);
    island.time.advance(2);
    if (island.model->pages().size() < 2 || island.model->page() != 0 || !island.tree.find(IslandPage::media())
        || !findKind(island.tree.root(), "Button")) {
        state.SkipWithError("the open island shows no page dots over its first page");
        return;
    }
    island.paintFrame(state);
}
BENCHMARK(BM_IslandViewsOpenTabsEmptyPage)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The closed island with the volume readout beside the notch: symbol and level bar.
static void BM_IslandViewsClosedVolumeReadout(benchmark::State &state)
{
    FilledIsland island;
    island.show();
    island.model->show(Peek::volume(0.5f, false), 60);
    island.time.advance(1);
    if (island.model->state() != NotchState::peek || !findKind(island.tree.root(), "Symbol")) {
        state.SkipWithError("the volume readout is not shown");
        return;
    }
    island.paintFrame(state);
}
BENCHMARK(BM_IslandViewsClosedVolumeReadout)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The capsule playing a track with a running timer as its second activity, the bubble held half
// way out (p = 0.5): capsule and drop merged through the blur and the threshold.
static void BM_IslandViewsCapsuleBubbleHalfWay(benchmark::State &state)
{
    FilledIsland island;
    auto bubble = island.islandSlots.bubble;
    island.islandSlots.bubble = [bubble](NotchViewModel &m, const NotchViewSlots::Bubble &b, std::function<void(double)> w) {
        NotchViewSlots::Bubble half = b;
        half.progress = 0.5;
        return bubble(m, half, std::move(w));
    };
    island.usePill();
    island.playTrack();
    island.model->countdown().setDuration(300);
    island.model->countdown().start();
    island.show();
    island.time.advance(2);
    const kit::Node *number = findKind(island.tree.root(), "Animatable");
    if (!island.model->bubble() || !number || std::abs(number->value(kit::Prop::data0, 0) - 0.5) > 1e-9
        || !findKind(number, "Painter")) {
        state.SkipWithError("the capsule shows no merged bubble at p = 0.5");
        return;
    }
    island.paintFrame(state);
}
BENCHMARK(BM_IslandViewsCapsuleBubbleHalfWay)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// A settled readout, the island described afresh and reconciled (as any change elsewhere in the
// model does): nothing moves, so no frame is asked for.
static void BM_IslandViewsSettledReadoutIdle(benchmark::State &state)
{
    FilledIsland island;
    island.show();
    island.model->show(Peek::volume(0.5f, false), 3600);
    island.time.advance(1);
    if (asksForFrames(island.tree)) {
        state.SkipWithError("the readout is still moving after a second");
        return;
    }
    for (auto _ : state) {
        island.tree.setRoot(kit::view(NotchView{island.model.get(), &island.islandSlots}));
        island.time.flush();
    }
    if (asksForFrames(island.tree))
        state.SkipWithError("a settled readout scheduled a frame");
}
BENCHMARK(BM_IslandViewsSettledReadoutIdle)->Unit(benchmark::kMicrosecond);

// A paused countdown shown in the readout: each iteration is an hour of the application's time,
// through every wake that falls due in it (the model's own calendar refresh among them). The view
// is described again once an hour and never asks for a frame.
static void BM_IslandViewsPausedCountdownHour(benchmark::State &state)
{
    FilledIsland island;
    island.show();
    island.model->countdown().setDuration(300);
    island.model->countdown().start();
    island.time.advance(10);
    island.model->countdown().pause();
    island.model->show(Peek::timer(), 25 * 3600.0);
    island.time.advance(2);
    bool shown = false;
    for (const kit::DrawnItem &i : kit::drawnItems(island.tree))
        shown = shown || (i.isVisible() && i.text == QStringLiteral("4:50"));
    if (!shown) {
        state.SkipWithError("the paused countdown is not shown");
        return;
    }
    int64_t redraws = 0, hours = 0;
    double lastRedraw = -1;
    auto counting = island.tree.needsDisplay.connect([&] {
        if (island.time.now() != lastRedraw)
            ++redraws;
        lastRedraw = island.time.now();
    });
    bool framed = false;
    for (auto _ : state) {
        const double end = island.time.now() + 3600;
        while (true) {
            const std::optional<double> due = island.time.queue().nextDue();
            if (!due || *due > end)
                break;
            island.time.advance(std::max(0.0, *due - island.time.now()));
            framed = framed || asksForFrames(island.tree);
        }
        island.time.advance(end - island.time.now());
        ++hours;
    }
    state.counters["redrawsPerHour"] = double(redraws) / double(hours);
    if (framed)
        state.SkipWithError("a paused countdown asked for a frame");
    else if (redraws > hours + 1 || redraws < hours - 1)
        state.SkipWithError("a paused countdown is not described again once an hour");
}
// A day, within the readout's time on screen.
BENCHMARK(BM_IslandViewsPausedCountdownHour)->Unit(benchmark::kMicrosecond)->Iterations(24);
