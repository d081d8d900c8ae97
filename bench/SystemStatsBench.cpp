// System Stats' sampling on the Linux source: the slow sample (processor and heat, every 5 s while
// the page is not shown), the full one (every 2 s while it is), on this machine and over a tree of
// files with this machine's /proc files, eight thermal zones and a battery.
#include "Extensions/SystemStatsExtension.h"
#include "Platform/linux/LinuxSystemStats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace vesk;

namespace {

void put(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

QByteArray machineFile(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// This machine's /proc files, eight enabled zones with a passive, a hot and a critical trip each,
// and one battery with its time-to-empty estimate missing (so the energy fallback is read).
struct Tree {
    Tree()
    {
        const QString root = dir.path();
        for (const char *file : {"/proc/stat", "/proc/meminfo", "/proc/net/dev"})
            put(root + file, machineFile(file));
        for (int n = 0; n < 8; ++n) {
            const QString zone = root + QStringLiteral("/sys/class/thermal/thermal_zone%1/").arg(n);
            put(zone + "type", "x86_pkg_temp\n");
            put(zone + "mode", "enabled\n");
            put(zone + "temp", QByteArray::number(40000 + n * 1000) + "\n");
            const char *types[] = {"passive", "hot", "critical"};
            const int temps[] = {85000, 95000, 105000};
            for (int i = 0; i < 3; ++i) {
                put(zone + QStringLiteral("trip_point_%1_type").arg(i), QByteArray(types[i]) + "\n");
                put(zone + QStringLiteral("trip_point_%1_temp").arg(i), QByteArray::number(temps[i]) + "\n");
            }
        }
        const QString battery = root + "/sys/class/power_supply/BAT0/";
        for (auto [file, text] : {std::pair{"type", "Battery"}, {"present", "1"}, {"status", "Discharging"},
                                  {"capacity", "64"}, {"energy_now", "40000000"}, {"power_now", "12000000"}})
            put(battery + file, QByteArray(text) + "\n");
        put(root + "/sys/class/power_supply/AC/type", "Mains\n");
        put(root + "/sys/class/power_supply/AC/online", "0\n");
    }
    QTemporaryDir dir;
};

void sampling(benchmark::State &state, const std::string &root, bool visible)
{
    LinuxSystemStats source(root);
    SystemStatsSource::setShared(&source);
    {
        auto stats = std::make_shared<SystemStatsExtension>();
        stats->setVisible(visible);  // not started: only the samples measured here are taken
        stats->sample();
        for (auto _ : state)
            stats->sample();
        // What was read, so a tree that reads as nothing shows here instead of a fast figure.
        state.counters["thermal"] = double(stats->thermal.peek());
        state.counters["battery"] = stats->battery.peek() ? 1 : 0;
        state.counters["timeLeft"] = stats->batteryTimeLeft.peek().value_or(-1);
    }
    SystemStatsSource::setShared(nullptr);
}

}  // namespace

static void BM_SystemStatsSlowSample_Machine(benchmark::State &state) { sampling(state, "/", false); }
BENCHMARK(BM_SystemStatsSlowSample_Machine)->Unit(benchmark::kMicrosecond);

static void BM_SystemStatsFullSample_Machine(benchmark::State &state) { sampling(state, "/", true); }
BENCHMARK(BM_SystemStatsFullSample_Machine)->Unit(benchmark::kMicrosecond);

static void BM_SystemStatsSlowSample_EightZones(benchmark::State &state)
{
    Tree tree;
    sampling(state, tree.dir.path().toStdString(), false);
}
BENCHMARK(BM_SystemStatsSlowSample_EightZones)->Unit(benchmark::kMicrosecond);

static void BM_SystemStatsFullSample_EightZones(benchmark::State &state)
{
    Tree tree;
    sampling(state, tree.dir.path().toStdString(), true);
}
BENCHMARK(BM_SystemStatsFullSample_EightZones)->Unit(benchmark::kMicrosecond);

// The root volume's query, which a full sample makes at most once a minute.
static void BM_SystemStatsDiskQuery(benchmark::State &state)
{
    LinuxSystemStats source("/");
    for (auto _ : state)
        benchmark::DoNotOptimize(source.disk());
}
BENCHMARK(BM_SystemStatsDiskQuery)->Unit(benchmark::kMicrosecond);
