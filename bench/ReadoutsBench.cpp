// The readout rules per event, with one mirror island: battery, Caps Lock, a 40-character layout
// name, Focus, download progress and the volume-up key on the simulated sound server; one tick of
// the brightness watch over a fake sysfs tree; one download report over ten running downloads;
// and the idle cost of the shared 0.1 s tick in real time, with a backlight and without one
// (its main-thread wake-ups per second).
#include "Base/TimerFdDriver.h"
#include "Model/Defaults.h"
#include "Model/ReadoutRules.h"
#include "NowPlaying/VolumeService.h"
#include "Platform/linux/SysfsBacklight.h"
#include "Platform/sim/SimAccessibilityTrust.h"
#include "Platform/sim/SimBacklight.h"
#include "Platform/sim/SimFileProgress.h"
#include "Platform/sim/SimFocusStatus.h"
#include "Platform/sim/SimKeyboardState.h"
#include "Platform/sim/SimMediaKeyGrab.h"
#include "Platform/sim/SimPowerSupply.h"

#include "SimIsland.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>

using namespace vesk;

namespace {

// A primary island with one mirror and the rules over simulated sources.
struct Rules {
    Rules()
    {
        island.audio.systemSetOutputs({{AudioDevice{1, "Built-in Speakers", AudioTransport::builtin}, 0.5f, false}});
        island.audio.systemSetDefault(1u);
        island.model->startAudio();
        island.time.flush();
    }
    bench::SimIsland island;
    std::shared_ptr<NotchViewModel> mirror = NotchViewModel::makeMirror(*island.model);
    SimPowerSupply power;
    BatteryService battery{power};
    SimMediaKeyGrab grab;
    SimAccessibilityTrust trust;
    MediaKeyTap keyTap{grab, trust};
    SimKeyboardState keyboard;
    SimFocusStatus focus;
    SystemMonitor system{keyboard, focus};
    SimFileProgress files;
    DownloadMonitor downloads{files};
    SimBacklight light;
    ReadoutRules rules{*island.model, ReadoutSources{battery, keyTap, system, downloads}, light};
};

void BM_BatteryRule(benchmark::State &state)
{
    Rules r;
    bool plugged = false;
    for (auto _ : state) {
        r.rules.battery({50, plugged, false});
        plugged = !plugged;
    }
}
BENCHMARK(BM_BatteryRule);

void BM_CapsLockRule(benchmark::State &state)
{
    Rules r;
    bool on = false;
    for (auto _ : state) {
        r.rules.capsLock(on);
        on = !on;
    }
}
BENCHMARK(BM_CapsLockRule);

void BM_InputSourceRule40Characters(benchmark::State &state)
{
    Rules r;
    const QString names[] = {QStringLiteral("English (US, international with dead keys)"),
                             QStringLiteral("Portuguese (Brazil, Dvorak, no dead keys)")};
    int i = 0;
    for (auto _ : state)
        r.rules.inputSource(names[i++ & 1]);
}
BENCHMARK(BM_InputSourceRule40Characters);

void BM_FocusRule(benchmark::State &state)
{
    Rules r;
    UserDefaults::standard().set(settings::showFocusActivity, true);
    bool on = false;
    for (auto _ : state) {
        r.rules.focus(on);
        on = !on;
    }
}
BENCHMARK(BM_FocusRule);

void BM_DownloadProgressRule(benchmark::State &state)
{
    Rules r;
    int i = 0;
    for (auto _ : state)
        r.rules.downloadProgress((i++ % 100) / 100.0);
}
BENCHMARK(BM_DownloadProgressRule);

void BM_HandleVolumeUp(benchmark::State &state)
{
    Rules r;
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(r.rules.handle(++i % 2 ? MediaKeyTap::Key::volumeUp : MediaKeyTap::Key::volumeDown, false));
    }
}
BENCHMARK(BM_HandleVolumeUp);

// One tick of the watch reading a backlight of a fake tree, with and without a change to show.
void BM_BrightnessTickOnAFakeTree(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/class/backlight/intel_backlight/";
    QDir().mkpath(folder);
    for (auto [file, text] : {std::pair{"type", "raw"}, {"max_brightness", "19200"}, {"actual_brightness", "9600"},
                              {"brightness", "9600"}}) {
        QFile f(folder + file);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(text) + "\n");
    }
    Rules r;
    SysfsBacklight light(dir.path().toStdString(), false);
    ReadoutRules rules{*r.island.model, ReadoutSources{r.battery, r.keyTap, r.system, r.downloads}, light};
    rules.brightnessTick();
    for (auto _ : state)
        rules.brightnessTick();
    state.counters["level"] = double(rules.lastBrightness().value_or(-1));
}
BENCHMARK(BM_BrightnessTickOnAFakeTree);

void BM_DownloadReportOverTen(benchmark::State &state)
{
    bench::SimIsland island;
    SimFileProgress files;
    DownloadMonitor monitor(files);
    double last = 0;
    monitor.onProgress = [&](std::optional<double> fraction) { last = fraction.value_or(-1); };
    monitor.start();
    for (int i = 0; i < 10; ++i) {
        FileProgress progress;
        progress.total = 100'000'000;
        progress.completed = i * 1'000'000;
        progress.indeterminate = false;
        progress.kind = FileProgress::downloading;
        files.start(std::to_string(i), progress);
    }
    island.time.flush();
    for (auto _ : state)
        monitor.report();
    state.counters["downloads"] = double(monitor.activeCount());
    benchmark::DoNotOptimize(last);
}
BENCHMARK(BM_DownloadReportOverTen);

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Voluntary context switches of the calling thread: each is a sleep the main loop woke from.
long mainThreadSwitches()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

// The brightness watch on a fake tree and the input-state poll, on the real clock, with nothing
// changing: the process's CPU time over wall time. VESK_IDLE_SECONDS sets the span (default 10).
// Without a backlight the tree is left empty. The keyboard announces every change, as X11's does,
// so only Focus is polled besides the brightness.
void BM_IdleTicks(benchmark::State &state)
{
    const char *env = std::getenv("VESK_IDLE_SECONDS");
    const int seconds = env ? std::max(1, std::atoi(env)) : 10;
    QTemporaryDir dir;
    const QString folder = dir.path() + "/class/backlight/acpi_video0/";
    if (state.range(0) != 0)
        QDir().mkpath(folder);
    for (auto [file, text] : {std::pair{"type", "firmware"}, {"max_brightness", "15"}, {"brightness", "7"}}) {
        if (state.range(0) == 0)
            break;
        QFile f(folder + file);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(text) + "\n");
    }
    UserDefaults::setStandard(std::make_unique<UserDefaults>());
    TimerFdDriver driver(mainQueue());
    SimAudioDevices audio;
    setAudioDevices(&audio);
    {
        auto model = NotchViewModel::makePrimary();
        SimPowerSupply power;
        BatteryService battery(power);
        SimMediaKeyGrab grab;
        SimAccessibilityTrust trust;
        MediaKeyTap keyTap(grab, trust);
        SimKeyboardState keyboard;
        keyboard.notifiesEvery = true;
        SimFocusStatus focus;
        SystemMonitor system(keyboard, focus);
        SimFileProgress files;
        DownloadMonitor downloads(files);
        SysfsBacklight light(dir.path().toStdString(), false);
        ReadoutRules rules(*model, ReadoutSources{battery, keyTap, system, downloads}, light);
        rules.wire();
        for (auto _ : state) {
            QCoreApplication::processEvents();  // let start-up work settle before measuring
            const double cpu = cpuSeconds();
            const long switches = mainThreadSwitches();
            const auto wall = std::chrono::steady_clock::now();
            QTimer::singleShot(seconds * 1000, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
            state.counters["cpu_percent"] = 100.0 * (cpuSeconds() - cpu) / elapsed;
            state.counters["wakeups_per_second"] = double(mainThreadSwitches() - switches) / elapsed;
            state.counters["seconds"] = elapsed;
        }
    }
    setAudioDevices(nullptr);
}
BENCHMARK(BM_IdleTicks)->ArgName("backlight")->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
