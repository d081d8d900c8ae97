#include "Platform/linux/SysfsPowerSupply.h"
#include "Readouts/BatteryService.h"

#include "FakeSystemBusSupport.h"
#include "SysfsTreeSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>

#include <vector>

using namespace vesk;
using Event = BatteryService::Event;

namespace {
const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString device = QStringLiteral("/org/freedesktop/UPower/devices/battery_BAT0");
}  // namespace

// UPower's change signals make the service read sysfs again at once.
TEST(BatteryIntegrationTest, UPowerSignalsTriggerAReading)
{
    ASSERT_TRUE(QDBusConnection::systemBus().isConnected()) << "scripts/run-tests starts a private system bus";
    test::FakeSystemService fake(upower);
    ASSERT_TRUE(fake.own());
    test::SysfsTree tree;
    tree.supply("AC", "Mains", {{"online", "1"}});
    tree.supply("BAT0", "Battery", {{"capacity", "50"}});
    SysfsPowerSupply supply(tree.root());
    BatteryService service(supply);
    std::vector<Event> events;
    service.onChange = [&](const Event &event) { events.push_back(event); };
    service.start();

    tree.write("class/power_supply/AC/online", "0");
    fake.emitSignal(device, properties, "PropertiesChanged",
                    {QStringLiteral("org.freedesktop.UPower.Device"), QVariantMap{{"State", 2u}}, QStringList()});
    ASSERT_TRUE(test::waitFor([&] { return events.size() == 1; }));
    EXPECT_EQ(events[0], (Event{50, false, false}));

    tree.write("class/power_supply/AC/online", "1");
    fake.emitSignal("/org/freedesktop/UPower", upower, "DeviceAdded",
                    {QVariant::fromValue(QDBusObjectPath("/org/freedesktop/UPower/devices/line_power_AC"))});
    ASSERT_TRUE(test::waitFor([&] { return events.size() == 2; }));
    EXPECT_EQ(events[1], (Event{50, true, false}));
}

// The same signal from a process that is not UPower's owner is not UPower's word.
TEST(BatteryIntegrationTest, SignalsOfOtherSendersAreIgnored)
{
    test::FakeSystemService fake(upower);
    ASSERT_TRUE(fake.own());
    test::FakeSystemService stranger(QStringLiteral("org.example.Stranger"));
    ASSERT_TRUE(stranger.own());
    test::SysfsTree tree;
    tree.supply("BAT0", "Battery", {{"capacity", "50"}, {"status", "Discharging"}});
    SysfsPowerSupply supply(tree.root());
    int calls = 0;
    supply.watch([&] { ++calls; });
    stranger.emitSignal(device, properties, "PropertiesChanged",
                        {QStringLiteral("org.freedesktop.UPower.Device"), QVariantMap{}, QStringList()});
    // A round trip from the stranger's connection: the bus has passed its signal on before it
    // answers, so once UPower's signal below arrives the stranger's would have arrived too.
    stranger.connection().interface()->isServiceRegistered(upower);
    fake.emitSignal("/org/freedesktop/UPower", upower, "DeviceRemoved",
                    {QVariant::fromValue(QDBusObjectPath("/org/freedesktop/UPower/devices/mouse"))});
    ASSERT_TRUE(test::waitFor([&] { return calls >= 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
}
