// The island's state and size are recomputed on every view update and every hit test, so they
// must stay cheap: field reads, arithmetic and at most one cached-font text measurement.
#include "App/Defaults.h"
#include "App/NotchViewModel.h"
#include "Island/SpaceSwipeDetector.h"
#include "NowPlaying/NowPlayingService.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimAudioDevices.h"
#include "Platform/sim/SimCalendarStore.h"
#include "Platform/sim/SimHaptics.h"
#include "Platform/sim/SimScreens.h"
#include "Platform/sim/SimSwipeSource.h"
#include "Platform/sim/SimWorkspace.h"
#include "Platform/sim/VirtualTime.h"

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

struct Island {
    Island()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        UserDefaults::standard().set(Defaults::migrationFlagKey, true);
        setScreens(&screens);
        setWorkspace(&workspace);
        setAudioDevices(&audio);
        SpaceSwipeDetector::setShared(&swipes);
        screens.plug("eDP-1", QSizeF(1512, 982), 2, QSizeF(185, 32), 37);
        model = NotchViewModel::makePrimary();
        model->updateNotch(screens.screens().front(), IslandStyle::notch, false);
        time.advance(1);
    }
    ~Island()
    {
        setScreens(nullptr);
        setWorkspace(nullptr);
        setAudioDevices(nullptr);
        SpaceSwipeDetector::setShared(nullptr);
    }
    VirtualTime time;
    SimScreens screens;
    SimWorkspace workspace;
    SimAudioDevices audio;
    SimSwipeSource swipeSource;
    SpaceSwipeDetector swipes{swipeSource};
    SimHaptics haptics;
    SimCalendarStore calendar;
    std::shared_ptr<NotchViewModel> model;
};

}  // namespace

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
        island.calendar.add({QStringLiteral("Meeting %1").arg(i), start, start + 600, false, QColor(Qt::red)});
    }
    for (auto _ : state)
        island.model->refreshOngoing();
}
BENCHMARK(BM_RefreshOngoingWithEvents);
