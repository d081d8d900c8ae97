// A frame of the island view as its panel paints it: 760 x 300 points at 2 device pixels per
// point, with empty content slots, closed and open. The plan is measured apart, since every
// evaluation runs it.
#include "App/Defaults.h"
#include "App/NotchViewModel.h"
#include "Island/NotchView.h"
#include "Island/NotchViewPlan.h"
#include "Kit/Kit.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimCalendarStore.h"
#include "Platform/sim/SimHaptics.h"
#include "Platform/sim/SimScreens.h"
#include "Platform/sim/SimWorkspace.h"
#include "Platform/sim/VirtualTime.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

struct IslandView {
    IslandView()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        UserDefaults::standard().set(Defaults::migrationFlagKey, true);
        setScreens(&screens);
        setWorkspace(&workspace);
        screens.plug("eDP-1", QSizeF(1512, 982), 2, QSizeF(185, 32), 37);
        model = NotchViewModel::makePrimary();
        model->updateNotch(screens.screens().front(), IslandStyle::notch, false);
        time.advance(1);
        tree.setRoot(kit::view(NotchView{model.get()}));
        time.advance(1);
    }
    ~IslandView()
    {
        setScreens(nullptr);
        setWorkspace(nullptr);
    }
    void paintFrame(benchmark::State &state)
    {
        QImage target(1520, 600, QImage::Format_ARGB32_Premultiplied);
        for (auto _ : state) {
            target.fill(Qt::transparent);
            QPainter painter(&target);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(2, 2);
            tree.paint(painter, 2);
        }
    }
    VirtualTime time;
    SimScreens screens;
    SimWorkspace workspace;
    SimHaptics haptics;
    SimCalendarStore calendar;
    std::shared_ptr<NotchViewModel> model;
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

