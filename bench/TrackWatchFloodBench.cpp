// TrackWatch under a flood of commands: 10 lines of 10 MB of "shuffle x " on its input, then one
// more command. Reported: how long after the flood was written the answer to that command came,
// and the companion's peak resident memory. Runs the built companion under perl on a private bus.
#ifdef VESK_BENCH_COMPANION

#include "CompanionProcess.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

void BM_TrackWatchCommandFlood(benchmark::State &state)
{
    std::string line;
    while (line.size() < 10'000'000)
        line += "shuffle x ";
    line += '\n';
    std::string flood;
    for (int i = 0; i < 10; ++i)
        flood += line;
    for (auto _ : state) {
        vesk::test::PrivateBus bus;
        vesk::test::CompanionProcess companion(bus.address());
        if (companion.waitForLine([](const nlohmann::json &) { return true; }) < 0) {
            state.SkipWithError("the companion did not start");
            return;
        }
        QElapsedTimer flooding;
        flooding.start();
        if (!companion.sendAll(flood, 600000)) {
            state.SkipWithError("the flood was not taken in 10 minutes");
            return;
        }
        state.counters["flood_s"] = double(flooding.elapsed()) / 1000.0;
        const int before = int(companion.lines().size());
        QElapsedTimer reply;
        reply.start();
        companion.send("seek 1\n");
        if (companion.waitForLine([](const nlohmann::json &) { return true; }, before, 600000) < 0) {
            state.SkipWithError("no answer after the flood");
            return;
        }
        state.counters["reply_ms"] = double(reply.elapsed());
        state.counters["peak_MiB"] = double(companion.peakMemoryKiB()) / 1024.0;
    }
}
BENCHMARK(BM_TrackWatchCommandFlood)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

#endif
