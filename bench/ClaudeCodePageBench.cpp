// The Claude Code page's once-a-second redraw: two limit rows and two sessions (one working, so
// its clock changes every second) described again, laid out and painted at scale 2. Target: at
// most 0.5 ms per redraw.
#include "FramePaint.h"

#include "App/ViewWiring.h"
#include "Base/VirtualTime.h"
#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/Views/ClaudeCodePage.h"
#include "Kit/Kit.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace vesk;
using CC = ClaudeCodeExtension;

static void BM_ClaudeCodePageSecond(benchmark::State &state)
{
    VirtualTime time;
    installStandardViews();
    auto ext = std::make_shared<CC>();
    const double now = time.wallNow();
    ext->isConnected.set(true);
    ext->limitsUpdated.set(CC::FileTime{int64_t(now), 0});
    ext->fiveHour.set(CC::Limit{42.5, now + 7200});
    ext->weekly.set(CC::Limit{81, now + 3 * 86400});
    ext->sessions.set({CC::Session{"a", "vesk", CC::Working{now}, now}, CC::Session{"b", "web", CC::Waiting{"Allow rm?"}, now - 5},
                       CC::Session{"c", "old", CC::Done{now - 60}, now - 60}});
    kit::Tree tree(QSizeF(420, 150));
    tree.setRoot(ext->page());
    time.flush();
    tree.update();
    const uint64_t before = tree.evaluationCount();
    bench::paintFrames(tree, state, QSize(840, 300), [&] {
        time.advance(1);
        tree.update();
    });
    // Each second re-describes the rows: a redraw that evaluated nothing measured nothing.
    if (tree.evaluationCount() == before)
        state.SkipWithError("the page was not described again");
}
BENCHMARK(BM_ClaudeCodePageSecond)->Unit(benchmark::kMicrosecond);
