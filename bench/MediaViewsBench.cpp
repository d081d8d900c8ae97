// The media views as the island's panel draws them at 2 device pixels per point: the open media
// page with a 600 x 600 artwork, both title lines and the bars looping, and the closed island with
// the live activity looping. Each iteration is one frame: the virtual clock moves 1/60 s (the
// loops move, no view body is described for them: `evaluations` counts descriptions per frame)
// and the panel is painted, in full or (the `Damaged` ones, as the panel does) only where the
// drawing changed. Then a check that a paused track asks for no frame at all.
// Qt's raster engine hands large fills to its thread pool, so the frames count the CPU time of the
// whole process: on one core that is the frame's cost.
#include "FramePaint.h"
#include "KitNodeSupport.h"
#include "SimIsland.h"

#include "Island/IslandViews.h"
#include "Island/NotchView.h"
#include "Island/OpenView.h"
#include "Kit/Kit.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/Views/LiveActivityView.h"
#include "NowPlaying/Views/MediaPlayerView.h"
#include "NowPlaying/Views/ScrubberView.h"
#include "Island/IslandHover.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

using namespace vesk;

namespace {

struct MediaIsland : bench::SimIsland {
    MediaIsland()
    {
        // The application's filling, on slots of this island's own (the other benchmarks measure
        // the standard slots empty).
        fillIslandViewSlots(islandSlots);
        pages.media = [](NotchViewModel &m) { return kit::view(MediaPlayerView{&m}); };
        islandSlots.openView = [this](NotchViewModel &m) { return kit::view(OpenView{&m, &pages}); };
        islandSlots.liveActivity = [](NotchViewModel &m, bool showsTitle) {
            return kit::view(LiveActivityView{&m, showsTitle});
        };
        kit::withoutAnimation([&] { tree.setRoot(kit::view(NotchView{model.get(), &islandSlots})); });
        time.advance(0.01);
    }
    void play(bool playing)
    {
        // A photograph-like artwork: no flat areas for the scaler to skip.
        auto image = std::make_shared<QImage>(600, 600, QImage::Format_ARGB32);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 600; ++x)
                image->setPixel(x, y, qRgb((x * 7 + y) % 256, (y * 3) % 256, (x ^ y) % 256));
        NowPlayingService &service = model->nowPlaying();
        service.artwork = NowPlayingService::Image(image);
        service.artworkVersion = service.artworkVersion.peek() + 1;
        service.accent = QColor(0x5A, 0xC8, 0xF5);
        Track track;
        track.title = "A Rather Long Song Title Over Two Words";
        track.artist = "The Artist";
        track.album = "The Album";
        track.duration = 240;
        track.isPlaying = playing;
        track.timestamp = time.wallNow();
        service.track = track;
        service.titleVersion = service.titleVersion.peek() + 1;
        service.artistVersion = service.artistVersion.peek() + 1;
        time.advance(2);
    }
    // With `damaged`, each frame repaints only what changed into the picture kept from the last
    // (as the panel does): `repaintedPixels` counts the device pixels repainted per frame.
    void frames(benchmark::State &state, bool damaged = false)
    {
        QImage target(QSize(1520, 600), QImage::Format_ARGB32_Premultiplied);
        if (damaged)
            tree.paintChanges(target, 2);
        const uint64_t before = tree.evaluationCount();
        int64_t count = 0;
        double repainted = 0;
        for (auto _ : state) {
            time.advance(1.0 / 60);
            if (damaged) {
                for (const QRect &r : tree.paintChanges(target, 2))
                    repainted += double(r.width()) * r.height();
            } else {
                target.fill(Qt::transparent);
                QPainter painter(&target);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.scale(2, 2);
                tree.paint(painter, 2);
                repainted += double(target.width()) * target.height();
            }
            benchmark::DoNotOptimize(target.bits());
            ++count;
        }
        state.counters["evaluations"] = double(tree.evaluationCount() - before) / double(std::max<int64_t>(count, 1));
        state.counters["repaintedPixels"] = repainted / double(std::max<int64_t>(count, 1));
    }

    NotchViewSlots islandSlots;
    OpenView::Slots pages;
    kit::Tree tree{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
};

bool looping(const kit::Tree &tree) { return tree.runsLoops(); }

}  // namespace

static void BM_MediaPageOpenLooping(benchmark::State &state)
{
    MediaIsland island;
    island.play(true);
    island.model->open(false);
    island.time.advance(3);
    if (island.model->state() != NotchState::open || !looping(island.tree)) {
        state.SkipWithError("the open media page does not loop its bars");
        return;
    }
    island.frames(state);
}
BENCHMARK(BM_MediaPageOpenLooping)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

static void liveActivityClosedLooping(benchmark::State &state, bool damaged)
{
    MediaIsland island;
    island.play(true);
    island.time.advance(3);
    if (island.model->state() != NotchState::live || !looping(island.tree)) {
        state.SkipWithError("the closed island shows no looping live activity");
        return;
    }
    island.frames(state, damaged);
}
static void BM_LiveActivityClosedLooping(benchmark::State &state) { liveActivityClosedLooping(state, false); }
BENCHMARK(BM_LiveActivityClosedLooping)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
// The same frames as the panel paints them: only the bars' few points are repainted.
static void BM_LiveActivityClosedLoopingDamaged(benchmark::State &state) { liveActivityClosedLooping(state, true); }
BENCHMARK(BM_LiveActivityClosedLoopingDamaged)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// A track that pauses: once the bars have settled into dots nothing asks for a frame.
static void BM_LiveActivityPausedAsksForNoFrame(benchmark::State &state)
{
    MediaIsland island;
    island.play(true);
    island.time.advance(3);
    const bool wasLooping = island.tree.runsLoops();
    Track paused = *island.model->nowPlaying().track.peek();
    paused.isPlaying = false;
    island.model->nowPlaying().track = paused;
    island.time.advance(3);
    const bool quiet = !island.tree.isAnimating() && !island.tree.runsLoops() && !kit::FrameDriver::shared().isScheduled();
    if (!wasLooping || !quiet) {
        state.SkipWithError("a paused live activity still asks for frames");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(island.tree.runsLoops());
    state.counters["framesAsked"] = 0;
}
BENCHMARK(BM_LiveActivityPausedAsksForNoFrame)->Unit(benchmark::kNanosecond);

// The whole media page as the user sees it with everything on: artwork, bars looping, a title too
// long for its slot scrolling, the scrubber, the transport, extra and output buttons, and the
// volume row. One frame per iteration, as above.
static void mediaPageFullScrollingTitle(benchmark::State &state, bool damaged)
{
    MediaIsland island;
    island.play(true);
    Track track = *island.model->nowPlaying().track.peek();
    track.title = "A Title Far Too Long For The Media Page Of The Island, So That It Scrolls Along";
    island.model->nowPlaying().track = track;
    island.model->nowPlaying().titleVersion = island.model->nowPlaying().titleVersion.peek() + 1;
    island.model->showsVolume = true;
    island.model->open(false);
    island.time.advance(3);
    bool scrolls = false;
    for (const kit::Node *n : test::allOfKind(island.tree.root(), "Loop"))
        scrolls = scrolls || (n->runningLoops() && n->value(kit::Prop::offsetX, 0) != 0);
    if (island.model->state() != NotchState::open || !scrolls) {
        state.SkipWithError("the open media page has no scrolling title");
        return;
    }
    island.frames(state, damaged);
}
static void BM_MediaPageFullScrollingTitle(benchmark::State &state) { mediaPageFullScrollingTitle(state, false); }
BENCHMARK(BM_MediaPageFullScrollingTitle)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
// The same, repainting only what changed: the title's row and the bars.
static void BM_MediaPageFullScrollingTitleDamaged(benchmark::State &state) { mediaPageFullScrollingTitle(state, true); }
BENCHMARK(BM_MediaPageFullScrollingTitleDamaged)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// One tick of the scrubber's timeline: the row is described again for the new time, laid out and
// painted (the row alone, 300 x 16 points at scale 2).
static void BM_ScrubberTick(benchmark::State &state)
{
    MediaIsland island;
    island.play(true);
    // The island's own tree (closed, its live activity looping) is not part of the tick: shown,
    // it would run its 30 frames of every half second inside each iteration.
    island.tree.setShown(false);
    kit::Tree row(QSizeF(300, 16));
    row.setRoot(kit::view(ScrubberView{*island.model->nowPlaying().track.peek(), false, true})
                    .environment(islandModel, island.model.get()));
    island.time.advance(0.01);
    const uint64_t before = row.evaluationCount();
    int64_t ticks = 0;
    bench::paintFrames(row, state, QSize(600, 32), [&] {
        island.time.advance(0.5);
        ++ticks;
    });
    state.counters["evaluations"] = double(row.evaluationCount() - before) / double(std::max<int64_t>(ticks, 1));
}
BENCHMARK(BM_ScrubberTick)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// A paused track on the open page: after the animations settle, nothing asks for a frame and the
// scrubber's timeline is due once an hour (at each whole hour of the wall clock): `wakes` counts
// the hours in ten in which anything was described again, `descriptionsInTenHours` the views described.
static void BM_MediaPagePausedWakesHourly(benchmark::State &state)
{
    MediaIsland island;
    island.play(false);
    // A title that fits its slot: a scrolling one moves on every frame by design.
    Track track = *island.model->nowPlaying().track.peek();
    track.title = "Short";
    island.model->nowPlaying().track = track;
    island.model->nowPlaying().titleVersion = island.model->nowPlaying().titleVersion.peek() + 1;
    island.model->open(false);
    island.time.advance(5);
    int wakes = 0;
    uint64_t described = 0;
    bool quiet = true;
    for (int hour = 0; hour < 10; ++hour) {
        const uint64_t before = island.tree.evaluationCount();
        island.time.advance(3600);
        wakes += island.tree.evaluationCount() != before;
        described += island.tree.evaluationCount() - before;
        quiet = quiet && !island.tree.isAnimating() && !kit::FrameDriver::shared().isScheduled();
    }
    // Waking twice a second, or on frames, would describe thousands of views in ten hours.
    if (!quiet || described > 50) {
        state.SkipWithError("a paused open media page wakes more than once an hour");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(island.tree.isAnimating());
    state.counters["wakesInTenHours"] = double(wakes);
    state.counters["descriptionsInTenHours"] = double(described);
}
BENCHMARK(BM_MediaPagePausedWakesHourly)->Unit(benchmark::kNanosecond);
