// TrackWatch under a flood of commands: 10 lines of 10 MB of "shuffle x " on its input while a
// player is on the bus, then one "seek 42". Reported: how long the companion took to take the
// flood in (flood_s); how long after that seek was written the player had it (player_ms) and the
// companion's own answer came, the first line that shows the player at 42 s (reply_ms); the lines
// between (lines_during_reply); and the companion's peak resident memory (peak_MiB). Every shuffle
// of the flood is a command for the player, which announces each change, as a real player does;
// the answer is told apart from the flood's own reports by its position, which nothing else sets.
// Runs the built companion under perl on a private bus.
#ifdef VESK_BENCH_COMPANION

#include "CompanionProcess.h"
#include "TestMprisPlayer.h"
#include "TestSupport.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

using Json = nlohmann::json;

void BM_TrackWatchCommandFlood(benchmark::State &state)
{
    std::string line;
    while (line.size() < 10'000'000)
        line += "shuffle x ";
    line += '\n';
    std::string flood;
    flood.reserve(line.size() * 10);
    for (int i = 0; i < 10; ++i)
        flood += line;
    for (auto _ : state) {
        vesk::test::PrivateBus bus;
        vesk::test::TestMprisPlayer player(QStringLiteral("flood"), bus.address());
        if (!bus.isUp() || !player.isRegistered()) {
            state.SkipWithError("no private bus or player");
            return;
        }
        player.setTracks({{QStringLiteral("Flood"), {QStringLiteral("Ann")}, {}, 300'000'000, {}}});
        // Paused, so that the position stays where the seek puts it.
        player.setPlaybackStatus(QStringLiteral("Paused"));
        vesk::test::CompanionProcess companion(bus.address());
        const auto isTrack = [](const Json &l) { return l.is_object() && l.value("title", std::string()) == "Flood"; };
        if (companion.waitForLine(isTrack, 0, 10000) < 0) {
            state.SkipWithError("the companion did not report the player");
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
        companion.send("seek 42\n");
        vesk::test::waitFor([&] { return player.positionMicros() == 42'000'000; }, 600000);
        state.counters["player_ms"] = double(reply.elapsed());
        const int answer = companion.waitForLine(
            [&](const Json &l) { return isTrack(l) && l.value("elapsed", 0.0) == 42.0; }, before, 600000);
        if (answer < 0) {
            state.SkipWithError("no answer to the seek after the flood");
            return;
        }
        state.counters["reply_ms"] = double(reply.elapsed());
        state.counters["lines_during_reply"] = double(answer - before);
        state.counters["peak_MiB"] = double(companion.peakMemoryKiB()) / 1024.0;
        if (player.positionMicros() != 42'000'000)
            state.SkipWithError("the seek did not reach the player");
    }
}
BENCHMARK(BM_TrackWatchCommandFlood)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

#endif
