#include "Platform/linux/LinuxSystemStats.h"
#include "Platform/linux/ProcParsers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/statvfs.h>

using namespace vesk;
using Thermal = SystemStatsSource::Thermal;

namespace {

const char *stat = "cpu  100 20 30 400 50 6 7 8 90 0\n"
                   "cpu0 50 10 15 200 25 3 3 4 45 0\n"
                   "cpu1 50 10 15 200 25 3 4 4 45 0\n"
                   "intr 12345 0 0\n"
                   "ctxt 999\n";

const char *meminfo = "MemTotal:       16384000 kB\n"
                      "MemFree:         1000000 kB\n"
                      "MemAvailable:    4096000 kB\n"
                      "Buffers:          100000 kB\n";

const char *netdev =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs drop fifo colls carrier compressed\n"
    "    lo:    4091      39    0    0    0     0          0         0     4091      39    0    0    0     0       0          0\n"
    "enp3s0:123456789012 900 0 0 0 0 0 0 5000 40 0 0 0 0 0 0\n"
    "  wlan0:    1000      10    0    0    0     0          0         0     2000      10    0    0    0     0       0          0\n"
    "  eth1:      10       1    0    0    0     0          0         0       20       1    0    0    0     0       0          0\n"
    "docker0:  777777      10    0    0    0     0          0         0   777777      10    0    0    0     0       0          0\n"
    "virbr0:   666666      10    0    0    0     0          0         0   666666      10    0    0    0     0       0          0\n";

class Tree {
public:
    void write(const QString &path, const QByteArray &text)
    {
        const QString full = dir.path() + path;
        QDir().mkpath(QFileInfo(full).path());
        QFile file(full);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    void remove(const QString &path) { QFile::remove(dir.path() + path); }
    // A thermal zone at `temp` millidegrees with trips given as (type, temp).
    void zone(int n, int temp, std::vector<std::pair<const char *, int>> trips, const char *mode = "enabled")
    {
        const QString base = QStringLiteral("/sys/class/thermal/thermal_zone%1/").arg(n);
        write(base + "temp", QByteArray::number(temp) + "\n");
        write(base + "mode", QByteArray(mode) + "\n");
        for (size_t i = 0; i < trips.size(); ++i) {
            write(base + QStringLiteral("trip_point_%1_type").arg(i), QByteArray(trips[i].first) + "\n");
            write(base + QStringLiteral("trip_point_%1_temp").arg(i), QByteArray::number(trips[i].second) + "\n");
        }
    }
    void supply(const QString &name, std::map<QString, QByteArray> files)
    {
        for (const auto &[file, text] : files)
            write("/sys/class/power_supply/" + name + "/" + file, text + "\n");
    }
    std::string root() const { return dir.path().toStdString(); }
    QTemporaryDir dir;
};

class LinuxSystemStatsTest : public ::testing::Test {
protected:
    LinuxSystemStatsTest()
    {
        tree.write("/proc/stat", stat);
        tree.write("/proc/meminfo", meminfo);
        tree.write("/proc/net/dev", netdev);
    }
    Tree tree;
};

TEST_F(LinuxSystemStatsTest, ReadsExactFiguresFromTheTree)
{
    LinuxSystemStats source(tree.root());
    const auto ticks = source.cpuTicks();
    ASSERT_TRUE(ticks);
    EXPECT_EQ(ticks->busy, 100u + 20 + 30 + 6 + 7 + 8) << "guest time is already inside user";
    EXPECT_EQ(ticks->total, ticks->busy + 400 + 50);
    EXPECT_EQ(source.processorCount(), 2);
    EXPECT_EQ(source.memoryTotal(), 16384000ull * 1024);
    EXPECT_EQ(source.memoryUsed(), (16384000ull - 4096000) * 1024);
    const auto net = source.networkBytes();
    ASSERT_TRUE(net);
    EXPECT_EQ(net->down, 123456789012ull + 1000 + 10) << "cards only; a wide counter right after the colon";
    EXPECT_EQ(net->up, 5000u + 2000 + 20);
    EXPECT_EQ(source.thermal(), Thermal::nominal) << "no zones";
    EXPECT_FALSE(source.battery());
    EXPECT_EQ(source.batteryTimeLeft(), -1);
    struct statvfs fs {};
    ASSERT_EQ(::statvfs(tree.root().c_str(), &fs), 0);
    EXPECT_EQ(source.disk()->total, int64_t(fs.f_blocks * fs.f_frsize));
}

TEST_F(LinuxSystemStatsTest, AMalformedFileFailsOnlyItsQuery)
{
    tree.write("/proc/stat", "cpu  100 20 30 400 50 6 7\n");  // short
    tree.write("/proc/net/dev", "Inter-|\n face |\n  eth0: 1x2 1 0 0 0 0 0 0 5 0 0 0 0 0 0 0\n");
    LinuxSystemStats source(tree.root());
    EXPECT_FALSE(source.cpuTicks());
    EXPECT_FALSE(source.networkBytes()) << "a card's unreadable line";
    EXPECT_TRUE(source.memoryUsed());
    tree.write("/proc/stat", "cpu  18446744073709551615 1 0 0 0 0 0 0\n");
    EXPECT_FALSE(source.cpuTicks()) << "a sum past 64 bits is not wrapped";
    tree.write("/proc/stat", "cpu  1 2 3 -4 5 6 7 8\n");
    EXPECT_FALSE(source.cpuTicks());
    tree.write("/proc/meminfo", "MemTotal: 99999999999999999999 kB\nMemAvailable: 1 kB\n");
    EXPECT_FALSE(source.memoryUsed()) << "overflowing";
    tree.write("/proc/meminfo", "MemTotal: 100 kB\nMemAvailable: 200 kB\n");
    EXPECT_FALSE(source.memoryUsed()) << "more available than there is";
    tree.write("/proc/meminfo", "MemTotal: 100 kB\n");
    EXPECT_FALSE(source.memoryUsed()) << "missing field";
    tree.remove("/proc/meminfo");
    EXPECT_FALSE(source.memoryUsed());
    EXPECT_EQ(source.memoryTotal(), 16384000ull * 1024) << "read once at creation";
    tree.write("/proc/net/dev", "Inter-|\n face |\n  lo: 1 2 3\n  docker0: 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n");
    ASSERT_TRUE(source.networkBytes()) << "lines of other interfaces do not matter";
    EXPECT_EQ(source.networkBytes()->down, 0u);
}

TEST_F(LinuxSystemStatsTest, TheHottestZoneDecidesTheThermalState)
{
    tree.zone(0, 45000, {{"active", 40000}, {"passive", 90000}, {"critical", 105000}});
    tree.zone(1, 30000, {{"passive", 0}, {"hot", -273000}});  // placeholders
    tree.zone(2, 99000, {{"critical", 95000}}, "disabled");
    tree.write("/sys/class/thermal/cooling_device0/type", "Fan\n");
    LinuxSystemStats source(tree.root());
    EXPECT_EQ(source.thermal(), Thermal::fair) << "past an active trip only; placeholders and disabled zones ignored";
    tree.write("/sys/class/thermal/thermal_zone0/temp", "90000\n");
    EXPECT_EQ(source.thermal(), Thermal::serious);
    tree.write("/sys/class/thermal/thermal_zone1/temp", "garbage\n");
    tree.write("/sys/class/thermal/thermal_zone0/temp", "105000\n");
    EXPECT_EQ(source.thermal(), Thermal::critical);
    tree.write("/sys/class/thermal/thermal_zone0/temp", "20000\n");
    EXPECT_EQ(source.thermal(), Thermal::nominal);
}

TEST_F(LinuxSystemStatsTest, BatteryAndTimeLeft)
{
    tree.supply("hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "5"}});
    tree.supply("BAT0", {{"type", "Battery"}, {"present", "1"}, {"capacity", "64"}, {"status", "Discharging"},
                         {"energy_now", "30000000"}, {"power_now", "10000000"}});
    tree.supply("AC", {{"type", "Mains"}, {"online", "0"}});
    LinuxSystemStats source(tree.root());
    ASSERT_TRUE(source.battery());
    EXPECT_EQ(source.battery()->percent, 64) << "a mouse's battery is not the machine's";
    EXPECT_FALSE(source.battery()->pluggedIn);
    EXPECT_DOUBLE_EQ(source.batteryTimeLeft(), 3 * 3600.0);
    tree.write("/sys/class/power_supply/BAT0/time_to_empty_now", "5400\n");
    EXPECT_DOUBLE_EQ(source.batteryTimeLeft(), 5400);
    tree.write("/sys/class/power_supply/BAT0/time_to_empty_now", "0\n");
    tree.remove("/sys/class/power_supply/BAT0/power_now");
    tree.write("/sys/class/power_supply/BAT0/charge_now", "2000000\n");
    tree.write("/sys/class/power_supply/BAT0/current_now", "-1000000\n");
    EXPECT_DOUBLE_EQ(source.batteryTimeLeft(), 2 * 3600.0) << "magnitudes";
    tree.remove("/sys/class/power_supply/BAT0/current_now");
    EXPECT_EQ(source.batteryTimeLeft(), -1);
    tree.write("/sys/class/power_supply/AC/online", "1\n");
    EXPECT_TRUE(source.battery()->pluggedIn);
    EXPECT_EQ(source.batteryTimeLeft(), -2);
    tree.remove("/sys/class/power_supply/BAT0/capacity");
    tree.write("/sys/class/power_supply/BAT0/energy_full", "60000000\n");
    ASSERT_TRUE(source.battery());
    EXPECT_EQ(source.battery()->percent, 50) << "from energy now and full without a capacity";
}

TEST(LinuxSystemStatsMachine, AgreesWithTheBuildMachine)
{
    LinuxSystemStats source("/");
    std::ifstream in("/proc/meminfo");
    std::string key;
    uint64_t kb = 0;
    while (in >> key && key != "MemTotal:")
        in.ignore(1 << 10, '\n');
    in >> kb;
    EXPECT_EQ(source.memoryTotal(), kb * 1024);
    struct statvfs fs {};
    ASSERT_EQ(::statvfs("/", &fs), 0);
    ASSERT_TRUE(source.disk());
    EXPECT_EQ(source.disk()->total, int64_t(fs.f_blocks * fs.f_frsize));
    EXPECT_TRUE(source.cpuTicks());
    EXPECT_GT(source.processorCount(), 0);
    EXPECT_TRUE(source.memoryUsed());
    EXPECT_TRUE(source.networkBytes());
}

}  // namespace
