// One frame of each settings preview at the size its pane or card gives it, at device scale 2:
// settled, and mid-animation (0.1 s into a change). Re-describing a preview with equal values is
// measured too: it must schedule no frame. Qt's raster engine hands large fills to its thread pool,
// so the frames count the CPU time of the whole process.
#include "FramePaint.h"

#include "Settings/Previews/CalendarPagePreview.h"
#include "Settings/Previews/ClosedNotchPreview.h"
#include "Settings/Previews/ExpandedNotchPreview.h"
#include "Settings/Previews/ExternalDisplayPreview.h"
#include "Settings/Previews/HoverStylePreview.h"
#include "Settings/Previews/LockScreenPreview.h"

#include "Kit/Kit.h"
#include "Base/VirtualTime.h"
#include "Kit/Palette.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace vesk;
using Content = ClosedNotchPreview::Content;

namespace {

// Shows `first`; with `second`, re-describes 0.1 s into the change (the frame a host paints then).
template <typename V>
void frame(benchmark::State &state, QSizeF size, V first, std::optional<V> second = std::nullopt)
{
    VirtualTime time;
    kit::Tree tree(size);
    tree.setRoot(kit::view(first));
    time.advance(5);
    if (second) {
        tree.setRoot(kit::view(*second));
        time.advance(0.1);
        if (!tree.isAnimating())
            state.SkipWithError("the change did not animate");
    }
    bench::paintFrames(tree, state, QSize(int(std::ceil(size.width() * 2)), int(std::ceil(size.height() * 2))));
}

const ClosedNotchPreview closedNowPlaying{Content::nowPlaying(true, true, true), 2.2, false};
const ClosedNotchPreview closedReadout{Content::readout("timer", kit::palette::orange, "24:59"), 2.2, false};
const ExpandedNotchPreview expandedBlack{false, "roundedSquare", true, true, true, true, 1.55};
const ExpandedNotchPreview expandedGlass{true, "circle", true, true, true, true, 1.55};
const CalendarPagePreview calendarOff{false, false, false, 1.55};
const CalendarPagePreview calendarOn{true, true, true, 1.55};
const LockScreenPreview lockLow{true, true, 0.225, 0.5};
const LockScreenPreview lockHigh{true, true, 0.6, 1};

}  // namespace

static void BM_PreviewClosedSettled(benchmark::State &s) { frame(s, {505, 96}, closedNowPlaying); }
static void BM_PreviewClosedMidAnimation(benchmark::State &s) { frame(s, {505, 96}, closedNowPlaying, std::optional(closedReadout)); }
static void BM_PreviewExpandedSettled(benchmark::State &s) { frame(s, {505, 132}, expandedBlack); }
static void BM_PreviewExpandedMidAnimation(benchmark::State &s) { frame(s, {505, 132}, expandedBlack, std::optional(expandedGlass)); }
static void BM_PreviewCalendarSettled(benchmark::State &s) { frame(s, {505, 132}, calendarOn); }
static void BM_PreviewCalendarMidAnimation(benchmark::State &s) { frame(s, {505, 132}, calendarOff, std::optional(calendarOn)); }
static void BM_PreviewLockSettled(benchmark::State &s) { frame(s, {505, 210}, lockLow); }
static void BM_PreviewLockMidAnimation(benchmark::State &s) { frame(s, {505, 210}, lockLow, std::optional(lockHigh)); }
static void BM_PreviewDisplayCard(benchmark::State &s) { frame(s, {160, 76}, ExternalDisplayPreview{"pill"}); }
static void BM_PreviewHoverCard(benchmark::State &s) { frame(s, {160, 76}, HoverStylePreview{"circle"}); }
BENCHMARK(BM_PreviewClosedSettled)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewClosedMidAnimation)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewExpandedSettled)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewExpandedMidAnimation)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewCalendarSettled)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewCalendarMidAnimation)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewLockSettled)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewLockMidAnimation)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewDisplayCard)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewHoverCard)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// Re-describing with an equal value: no body evaluated, no frame scheduled.
static void BM_PreviewEqualRedescription(benchmark::State &state)
{
    VirtualTime time;
    kit::Tree tree(QSizeF(505, 132));
    tree.setRoot(kit::view(calendarOn));
    time.advance(5);
    for (auto _ : state)
        tree.setRoot(kit::view(calendarOn));
    if (tree.isAnimating())
        state.SkipWithError("an equal re-description scheduled a frame");
}
BENCHMARK(BM_PreviewEqualRedescription)->Unit(benchmark::kMicrosecond);
