// vesk-stats over a tree of files laid out like a machine: one JSON line per "sample" line.
#include "Readouts/SysfsTreeSupport.h"

#include <QProcess>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

using nlohmann::json;

namespace {

const char *netdev = "Inter-|   Receive                                                |  Transmit\n"
                     " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs drop fifo colls carrier compressed\n"
                     "    lo: 999999 9 0 0 0 0 0 0 999999 9 0 0 0 0 0 0\n"
                     "  eth0:%1 10 0 0 0 0 0 0 %2 10 0 0 0 0 0 0\n";

class VeskStats : public ::testing::Test {
protected:
    VeskStats()
    {
        tree.write("proc/stat", "cpu  100 0 0 900 0 0 0 0 0 0\ncpu0 50 0 0 450 0 0 0 0 0 0\ncpu1 50 0 0 450 0 0 0 0 0 0");
        tree.write("proc/meminfo", "MemTotal:       16000000 kB\nMemFree: 1 kB\nMemAvailable:    6000000 kB");
        tree.write("proc/net/dev", QByteArray(netdev).replace("%1", "1000").replace("%2", "500"));
        // A zone past its passive trip; a placeholder trip at 0 must not count as critical.
        tree.write("sys/class/thermal/thermal_zone0/mode", "enabled");
        tree.write("sys/class/thermal/thermal_zone0/temp", "90000");
        tree.write("sys/class/thermal/thermal_zone0/trip_point_0_type", "critical");
        tree.write("sys/class/thermal/thermal_zone0/trip_point_0_temp", "0");
        tree.write("sys/class/thermal/thermal_zone0/trip_point_1_type", "passive");
        tree.write("sys/class/thermal/thermal_zone0/trip_point_1_temp", "85000");
        for (auto [file, text] : {std::pair{"BAT0/type", "Battery"}, {"BAT0/present", "1"}, {"BAT0/capacity", "64"},
                                  {"BAT0/status", "Discharging"}, {"BAT0/energy_now", "30000000"},
                                  {"BAT0/power_now", "12000000"}, {"AC/type", "Mains"}, {"AC/online", "0"}})
            tree.write(QStringLiteral("sys/class/power_supply/") + file, text);
    }

    QProcess *start(QStringList args)
    {
        process.start(QStringLiteral(VESK_STATS), args);
        return process.waitForStarted(10000) ? &process : nullptr;
    }
    json sample()
    {
        process.write("sample\n");
        if (!process.waitForReadyRead(10000))
            return nullptr;
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {
        }
        return json::parse(process.readLine().toStdString(), nullptr, false);
    }

    vesk::test::SysfsTree tree;
    QProcess process;
};

TEST_F(VeskStats, SamplesTheTreeAsTheShownPageDoes)
{
    ASSERT_TRUE(start({"--root", QString::fromStdString(tree.root())}));
    const json first = sample();
    ASSERT_TRUE(first.is_object()) << first;
    EXPECT_EQ(first["cpu"], 0.0) << "no earlier ticks";
    EXPECT_EQ(first["memoryTotal"], 16000000ull * 1024);
    EXPECT_EQ(first["memoryUsed"], 10000000ull * 1024);
    EXPECT_GT(first["diskTotal"].get<double>(), 0);
    EXPECT_EQ(first["thermal"], "serious");
    EXPECT_EQ(first["battery"], json({{"percent", 64}, {"pluggedIn", false}}));
    EXPECT_EQ(first["batteryTimeLeft"], 9000.0);
    EXPECT_EQ(first["processors"], 2);
    EXPECT_EQ(first["download"], 0.0) << "a rate needs two readings";
    EXPECT_EQ(first["activity"], json({{"symbol", "thermometer.high"}, {"text", "Running hot"}}));

    tree.write("proc/stat", "cpu  190 0 10 1000 0 0 0 0 0 0\ncpu0 1 0 0 1 0 0 0 0 0 0");
    tree.write("proc/net/dev", QByteArray(netdev).replace("%1", "201000").replace("%2", "500"));
    tree.write("sys/class/thermal/thermal_zone0/temp", "40000");
    tree.write("sys/class/power_supply/AC/online", "1");
    const json second = sample();
    ASSERT_TRUE(second.is_object()) << second;
    EXPECT_DOUBLE_EQ(second["cpu"].get<double>(), 100.0 / 200.0);
    EXPECT_EQ(second["thermal"], "nominal");
    EXPECT_EQ(second["activity"], nullptr);
    EXPECT_EQ(second["battery"], json({{"percent", 64}, {"pluggedIn", true}}));
    EXPECT_EQ(second["batteryTimeLeft"], nullptr) << "on external power";
    EXPECT_GT(second["download"].get<double>(), 0);
    EXPECT_EQ(second["upload"], 0.0);

    // A file that cannot be read fails its reading only.
    tree.write("proc/meminfo", "MemTotal: lots");
    tree.remove("proc/net/dev");
    const json third = sample();
    EXPECT_EQ(third["memoryUsed"], 10000000ull * 1024);
    EXPECT_EQ(third["download"], second["download"]);
    EXPECT_EQ(third["battery"], second["battery"]);

    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
}

TEST_F(VeskStats, OncePrintsTheSecondOfTwoSamplesAndBadInputIsStatusTwo)
{
    ASSERT_TRUE(start({"--root", QString::fromStdString(tree.root()), "--once"}));
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    const auto lines = process.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    const json line = json::parse(lines[0].toStdString(), nullptr, false);
    EXPECT_EQ(line["cpu"], 0.0) << "the tree's ticks did not move";
    EXPECT_EQ(line["download"], 0.0);

    ASSERT_TRUE(start({"--root"}));
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 2);
    ASSERT_TRUE(start({"--root", QString::fromStdString(tree.root())}));
    process.write("sample please\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("unknown input"));
}

}  // namespace
