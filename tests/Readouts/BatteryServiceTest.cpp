#include "Platform/SysfsValue.h"
#include "Platform/sim/SimPowerSupply.h"
#include "Base/VirtualTime.h"
#include "Platform/linux/SysfsPowerSupply.h"
#include "Readouts/BatteryService.h"

#include "SysfsTreeSupport.h"

#include <gtest/gtest.h>
#include <limits>

#include <sys/stat.h>

#include <vector>

using namespace vesk;
using Event = BatteryService::Event;

TEST(SysfsValueTest, ReadsSmallRegularFilesOnly)
{
    test::SysfsTree tree;
    tree.write("a", "  42 ");
    EXPECT_EQ(readSysfsValue(tree.path("a").toStdString()), "  42");
    EXPECT_FALSE(readSysfsValue(tree.path("missing").toStdString()));
    EXPECT_FALSE(readSysfsValue(tree.root()));  // a folder
    tree.write("big", QByteArray(int(maxSysfsValue), '1'));  // with its newline one byte too many
    EXPECT_FALSE(readSysfsValue(tree.path("big").toStdString()));
    const std::string fifo = tree.path("fifo").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readSysfsValue(fifo));  // neither blocks nor reads
}

TEST(SysfsValueTest, AnAttributeKeptOpenReadsTheValueOfTheMoment)
{
    test::SysfsTree tree;
    SysfsAttribute temp(tree.path("temp").toStdString());
    EXPECT_FALSE(temp.read()) << "not there yet";
    tree.write("temp", "45000");
    EXPECT_EQ(temp.readInteger(), 45000) << "found once it appears";
    tree.write("temp", "9");  // shorter than before: nothing of the old value may remain
    EXPECT_EQ(temp.readInteger(), 9);
    tree.write("temp", "hot");
    EXPECT_EQ(temp.read(), "hot");
    EXPECT_FALSE(temp.readInteger());
    tree.write("temp", QByteArray(int(maxSysfsValue), '1'));
    EXPECT_FALSE(temp.read());
    tree.write("temp", "-5");
    SysfsAttribute moved = std::move(temp);
    EXPECT_EQ(moved.readInteger(), -5);
    const std::string fifo = tree.path("fifo").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(SysfsAttribute(fifo).read());
}

TEST(SysfsValueTest, IntegersAreDecimalAndWhole)
{
    EXPECT_EQ(parseSysfsInteger("42"), 42);
    EXPECT_EQ(parseSysfsInteger("-3"), -3);
    EXPECT_EQ(parseSysfsInteger("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(parseSysfsInteger("9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_FALSE(parseSysfsInteger("9223372036854775808"));
    EXPECT_FALSE(parseSysfsInteger("-"));
    for (const char *bad : {"", " 4", "4 ", "4x", "0x10", "+4", "1.5", "99999999999999999999"})
        EXPECT_FALSE(parseSysfsInteger(bad)) << bad;
}

TEST(SysfsBatteryTest, TakesTheFirstQualifyingBatteryByName)
{
    test::SysfsTree tree;
    EXPECT_FALSE(readSysfsBattery(tree.root()));  // no power_supply folder at all
    // Listed first: a UPS, a mouse's battery and an absent slot; then the internal battery.
    tree.supply("AAA-ups", "UPS", {{"capacity", "90"}});
    tree.supply("BAT-hid-mouse", "Battery", {{"capacity", "15"}, {"scope", "Device"}});
    tree.supply("BAT0", "Battery", {{"present", "0"}, {"capacity", "70"}});
    tree.supply("BAT1", "Battery", {{"capacity", "64"}, {"status", "Discharging"}});
    tree.supply("BAT2", "Battery", {{"capacity", "12"}});
    EXPECT_EQ(readSysfsBattery(tree.root()), (BatteryReading{64, false}));
}

TEST(SysfsBatteryTest, ChargeFromEnergyOrChargeWhenNoCapacity)
{
    test::SysfsTree tree;
    tree.supply("BAT0", "Battery", {{"energy_now", "25000000"}, {"energy_full", "50000000"}});
    EXPECT_EQ(readSysfsBattery(tree.root())->percent, 50);
    tree.remove("class/power_supply/BAT0/energy_now");
    tree.supply("BAT0", "Battery", {{"charge_now", "3100"}, {"charge_full", "3000"}});
    EXPECT_EQ(readSysfsBattery(tree.root())->percent, 100);  // a full battery reading a little high
    tree.write("class/power_supply/BAT0/charge_full", "0");
    EXPECT_FALSE(readSysfsBattery(tree.root()));
}

TEST(SysfsBatteryTest, BadValuesAreFailedReads)
{
    test::SysfsTree tree;
    for (const char *bad : {"", "abc", "101", "-1", "50%"}) {
        tree.supply("BAT0", "Battery", {{"capacity", bad}, {"energy_now", "1"}, {"energy_full", "2"}});
        EXPECT_FALSE(readSysfsBattery(tree.root())) << bad;
    }
    tree.supply("BAT0", "Battery", {{"capacity", "0"}});
    EXPECT_EQ(readSysfsBattery(tree.root())->percent, 0);
    tree.supply("BAT0", "Battery", {{"capacity", "100"}});
    EXPECT_EQ(readSysfsBattery(tree.root())->percent, 100);
}

TEST(SysfsBatteryTest, PluggedInFromAdaptersElseFromTheBatteryStatus)
{
    test::SysfsTree tree;
    tree.supply("BAT0", "Battery", {{"capacity", "80"}, {"status", "Charging"}});
    EXPECT_TRUE(readSysfsBattery(tree.root())->pluggedIn);  // no adapter listed
    tree.write("class/power_supply/BAT0/status", "Full");
    EXPECT_TRUE(readSysfsBattery(tree.root())->pluggedIn);
    tree.write("class/power_supply/BAT0/status", "Not charging");
    EXPECT_FALSE(readSysfsBattery(tree.root())->pluggedIn);
    // Listed adapters decide, whatever the battery says.
    tree.write("class/power_supply/BAT0/status", "Charging");
    tree.supply("AC", "Mains", {{"online", "0"}});
    tree.supply("ucsi-source-psy-1", "USB", {{"online", "0"}});
    EXPECT_FALSE(readSysfsBattery(tree.root())->pluggedIn);
    tree.write("class/power_supply/ucsi-source-psy-1/online", "1");
    EXPECT_TRUE(readSysfsBattery(tree.root())->pluggedIn);
    EXPECT_EQ(BatteryService::read(tree.root()), (Event{80, true, false}));
}

class BatteryServiceTest : public ::testing::Test {
protected:
    BatteryServiceTest()
    {
        service.onChange = [this](const Event &event) { events.push_back(event); };
    }
    void startAt(int percent, bool plugged)
    {
        power.set(BatteryReading{percent, plugged});
        service.start();
    }
    void to(int percent, bool plugged) { power.set(BatteryReading{percent, plugged}); }

    SimPowerSupply power;
    BatteryService service{power};
    std::vector<Event> events;
};

TEST_F(BatteryServiceTest, PlugChangesReportTheReadingAsItIs)
{
    startAt(50, true);
    EXPECT_TRUE(events.empty());  // the first reading is only the base
    to(50, false);
    to(51, true);
    EXPECT_EQ(events, (std::vector<Event>{{50, false, false}, {51, true, false}}));
}

TEST_F(BatteryServiceTest, LowWarningsOnlyWhenCrossingOnBattery)
{
    startAt(21, false);
    to(20, false);  // crosses 20
    to(19, false);
    to(11, false);
    to(10, false);  // crosses 10
    to(6, false);
    to(5, false);  // crosses 5
    to(4, false);
    EXPECT_EQ(events, (std::vector<Event>{{20, false, true}, {10, false, true}, {5, false, true}}));
}

TEST_F(BatteryServiceTest, PlugChangeWinsOverACrossingAndOnPowerNothingIsLow)
{
    startAt(21, true);
    to(20, true);  // on power: nothing
    EXPECT_TRUE(events.empty());
    to(21, true);
    to(20, false);  // unplugged and crossing at once: the plug change only
    to(10, false);
    EXPECT_EQ(events, (std::vector<Event>{{20, false, false}, {10, false, true}}));
    to(22, false);
    to(4, false);  // several thresholds at once give one warning
    EXPECT_EQ(events.size(), 3u);
    EXPECT_EQ(events.back(), (Event{4, false, true}));
}

TEST_F(BatteryServiceTest, FailedReadsChangeNothingAndAFirstFailureOnlyRecordsLater)
{
    service.start();  // no battery yet
    EXPECT_TRUE(power.isWatched());
    to(30, false);  // first reading: recorded only
    EXPECT_TRUE(events.empty());
    power.set(std::nullopt);  // a failed read keeps the last one
    EXPECT_EQ(service.last(), (Event{30, false, false}));
    to(30, true);
    EXPECT_EQ(events, (std::vector<Event>{{30, true, false}}));
}

TEST(SysfsPowerSupplyTest, WithoutUPowerATimerAsksEveryFiveSeconds)
{
    VirtualTime time;
    test::SysfsTree tree;
    tree.supply("BAT0", "Battery", {{"capacity", "30"}, {"status", "Discharging"}});
    SysfsPowerSupply supply(tree.root(), false);
    BatteryService service(supply);
    std::vector<Event> events;
    service.onChange = [&](const Event &event) { events.push_back(event); };
    service.start();
    tree.write("class/power_supply/BAT0/status", "Charging");
    time.advance(4.9);
    EXPECT_TRUE(events.empty());
    time.advance(0.1);
    EXPECT_EQ(events, (std::vector<Event>{{30, true, false}}));
}
