#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vesk;

static void BM_TypedReads(benchmark::State &state)
{
    UserDefaults store;
    store.registerDefaults(Defaults::values());
    store.set(settings::hudDuration, 2.0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.value(settings::showLiveActivity));
        benchmark::DoNotOptimize(store.value(settings::hudDuration));
        benchmark::DoNotOptimize(store.value(settings::externalDisplayStyle));
    }
    state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(BM_TypedReads);

static void BM_WriteToFile(benchmark::State &state)
{
    QTemporaryDir dir;
    auto store = UserDefaults::openFile(dir.path().toStdString() + "/settings.json");
    store->registerDefaults(Defaults::values());
    for (const auto &[key, value] : Defaults::values())
        store->set(key, value);  // a full file, as after many changes
    double v = 0;
    for (auto _ : state)
        store->set(settings::hudDuration, v += 0.1);
}
BENCHMARK(BM_WriteToFile);
