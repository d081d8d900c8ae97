// The Claude Code intake's tick: one that takes a 10,000-line event file of typical hook lines
// (about 2 MB, twenty sessions; a tick reads 1 MiB of it), one after a flood of 256 MB (which a
// tick skips to its last mebibyte, so it costs what the first does), and one with nothing new (the
// event file and the status file unchanged since the last tick).
#include "Extensions/ClaudeCodeExtension.h"
#include "Base/VirtualTime.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using namespace vesk;

namespace {

// A private home for the run; the previous HOME and XDG_DATA_HOME come back afterwards.
struct BenchHome {
    BenchHome()
    {
        if (const char *h = std::getenv("HOME"))
            oldHome = h;
        if (const char *d = std::getenv("XDG_DATA_HOME"))
            oldData = d;
        ::setenv("HOME", dir.path().toUtf8().constData(), 1);
        ::unsetenv("XDG_DATA_HOME");
        std::filesystem::create_directories(ClaudeCodeExtension::folder());
    }
    ~BenchHome()
    {
        ::setenv("HOME", oldHome.c_str(), 1);
        if (!oldData.empty())
            ::setenv("XDG_DATA_HOME", oldData.c_str(), 1);
    }
    QTemporaryDir dir;
    std::string oldHome, oldData;
};

std::string typicalLines(int count)
{
    std::string text;
    const char *events[] = {"PreToolUse", "PostToolUse", "PreToolUse", "PostToolUse", "UserPromptSubmit", "Notification", "Stop"};
    for (int i = 0; i < count; ++i) {
        const std::string event = events[i % 7];
        text += "{\"event\":\"" + event + "\",\"at\":1767225600,\"data\":{\"session_id\":\"3f2b8c9e-6a1d-4e7f-9b0a-"
            + std::to_string(100000000000 + i % 20) + "\",\"cwd\":\"/home/me/src/project-" + std::to_string(i % 20)
            + "\",\"hook_event_name\":\"" + event + "\",\"permission_mode\":\"default\",\"tool_name\":\"Bash\","
            + "\"tool_use_id\":\"toolu_01ABCDEFGHJKMNPQRSTVWXYZ\"}}\n";
    }
    return text;
}

void write(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Times one tick of a fresh extension after `bytes` were written to the event file.
void tickAfterWriting(benchmark::State &state, const std::string &bytes, size_t *sessions = nullptr)
{
    BenchHome home;
    VirtualTime time;
    const std::string events = ClaudeCodeExtension::folder() + "/events.jsonl";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(events);
        auto claude = std::make_unique<ClaudeCodeExtension>();
        claude->start();
        write(events, bytes);
        state.ResumeTiming();
        claude->tick();
        state.PauseTiming();
        if (sessions)
            *sessions = claude->sessions.peek().size();
        claude.reset();
        time.flush();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(bytes.size());
}

}  // namespace

static void BM_ClaudeCodeTickTenThousandLines(benchmark::State &state)
{
    size_t sessions = 0;
    tickAfterWriting(state, typicalLines(10000), &sessions);
    state.counters["sessions"] = double(sessions);
}
BENCHMARK(BM_ClaudeCodeTickTenThousandLines)->Unit(benchmark::kMillisecond);

static void BM_ClaudeCodeTickAfterAFlood(benchmark::State &state)
{
    const std::string lines = typicalLines(10000);
    std::string flood;
    while (flood.size() < (256u << 20))
        flood += lines;
    tickAfterWriting(state, flood);
}
BENCHMARK(BM_ClaudeCodeTickAfterAFlood)->Unit(benchmark::kMillisecond)->Iterations(5);

static void BM_ClaudeCodeTickNothingNew(benchmark::State &state)
{
    BenchHome home;
    VirtualTime time;
    const std::string folder = ClaudeCodeExtension::folder();
    write(folder + "/events.jsonl", typicalLines(100));
    write(folder + "/statusline.json", R"({"rate_limits":{"five_hour":{"used_percentage":12,"resets_at":1767225600}}})");
    ClaudeCodeExtension claude;
    claude.start();
    claude.tick();
    for (auto _ : state)
        claude.tick();
    state.counters["limits"] = claude.fiveHour.peek() ? 1 : 0;
}
BENCHMARK(BM_ClaudeCodeTickNothingNew)->Unit(benchmark::kMicrosecond);
