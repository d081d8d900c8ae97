#include "ExtensionTestSupport.h"

#include "Model/Defaults.h"
#include "Extensions/SystemStatsExtension.h"
#include "Extensions/Views/SystemStatsPage.h"

#include <QLocale>

using namespace vesk;
using Thermal = SystemStatsSource::Thermal;

namespace {

class SystemStatsTest : public test::ExtensionTest {
protected:
    // Starts System Stats through the registry, as the application does.
    std::shared_ptr<SystemStatsExtension> enable()
    {
        store.setEnabled("system-stats", true);
        return std::dynamic_pointer_cast<SystemStatsExtension>(store.instance("system-stats"));
    }
    // Makes the next sample see `share` of the processors busy.
    void load(double share)
    {
        auto ticks = stats.cpu.value_or(SystemStatsSource::CpuTicks{});
        ticks.busy += uint64_t(share * 1000);
        ticks.total += 1000;
        stats.cpu = ticks;
    }
    std::optional<QString> text() const
    {
        const auto a = store.activity();
        return a ? std::optional<QString>(a->text) : std::nullopt;
    }
};

TEST_F(SystemStatsTest, TheFirstSampleHasNoPreviousTicks)
{
    load(0.95);
    auto s = enable();
    EXPECT_EQ(s->cpu.peek(), 0);
    EXPECT_FALSE(s->busySince.peek());
    EXPECT_FALSE(store.activity());
    load(0.95);
    time.advance(5);
    EXPECT_DOUBLE_EQ(s->cpu.peek(), 0.95);
}

TEST_F(SystemStatsTest, TheBusyClockHasHysteresis)
{
    stats.cpu = SystemStatsSource::CpuTicks{};
    auto s = enable();
    load(0.85);
    time.advance(5);
    ASSERT_TRUE(s->busySince.peek()) << "exactly 0.85 starts it";
    EXPECT_EQ(*s->busySince.peek(), 5);
    load(0.6);
    time.advance(5);
    EXPECT_EQ(s->busySince.peek(), 5.0) << "exactly 0.6 keeps it";
    load(0.9);
    time.advance(5);
    EXPECT_EQ(s->busySince.peek(), 5.0) << "a running clock is not restarted";
    load(0.59);
    time.advance(5);
    EXPECT_FALSE(s->busySince.peek());
}

TEST_F(SystemStatsTest, TheBusyActivityNeedsMoreThanThirtySeconds)
{
    stats.cpu = SystemStatsSource::CpuTicks{};
    auto s = enable();
    int &count = countChanges();
    load(0.874);
    time.advance(5);  // the busy clock starts at 5 s
    for (int i = 0; i < 6; ++i) {
        load(0.874);
        time.advance(5);
    }
    EXPECT_EQ(time.now(), 35);
    EXPECT_FALSE(store.activity()) << "exactly 30 s gives none";
    EXPECT_EQ(count, 0);
    load(0.874);
    time.advance(5);
    ASSERT_TRUE(store.activity());
    EXPECT_EQ(store.activity()->text, QString::fromUtf8("CPU \u00B7 87%"));
    EXPECT_EQ(store.activity()->symbol, "cpu");
    EXPECT_EQ(store.activity()->tint, QColor(0xFF, 0x9F, 0x0A));
    EXPECT_FALSE(store.activity()->isUrgent);
    EXPECT_EQ(count, 1);

    // A changed percentage is a changed activity: the registry hears of it again.
    load(0.93);
    time.advance(5);
    EXPECT_EQ(text(), QString::fromUtf8("CPU \u00B7 93%"));
    EXPECT_EQ(count, 2);
    load(0.93);
    time.advance(5);
    EXPECT_EQ(count, 2) << "an unchanged activity is not reported";
}

TEST_F(SystemStatsTest, HeatOutranksTheBusyProcessorAndBothHaveSwitches)
{
    stats.cpu = SystemStatsSource::CpuTicks{};
    auto s = enable();
    for (int i = 0; i < 8; ++i) {
        load(0.99);
        time.advance(5);
    }
    EXPECT_EQ(text(), QString::fromUtf8("CPU \u00B7 99%"));
    stats.state = Thermal::serious;
    load(0.99);
    time.advance(5);
    EXPECT_EQ(text(), "Running hot");
    EXPECT_EQ(store.activity()->symbol, "thermometer.high");
    EXPECT_EQ(store.activity()->tint, QColor(0xFF, 0x45, 0x3A));
    stats.state = Thermal::critical;
    load(0.99);
    time.advance(5);
    EXPECT_EQ(text(), "Very hot");

    defaults().set(SystemStatsExtension::warnHeat, false);
    EXPECT_EQ(text(), QString::fromUtf8("CPU \u00B7 99%")) << "read on every look";
    defaults().set(SystemStatsExtension::warnCPU, false);
    EXPECT_FALSE(store.activity());
    defaults().set(SystemStatsExtension::warnCPU.key, "no");  // not a boolean: reads as true
    EXPECT_TRUE(store.activity());
    stats.state = Thermal::fair;
    load(0.99);
    time.advance(5);
    defaults().set(SystemStatsExtension::warnHeat, true);
    defaults().set(SystemStatsExtension::warnCPU, false);
    EXPECT_FALSE(store.activity()) << "fair is not hot";
}

TEST_F(SystemStatsTest, HiddenItWakesEveryFiveSecondsForProcessorAndHeatOnly)
{
    auto s = enable();
    stats.queries.clear();
    time.advance(60);
    EXPECT_EQ(s->samples(), 13);
    EXPECT_EQ(stats.queries["cpu"], 12);
    EXPECT_EQ(stats.queries["thermal"], 12);
    EXPECT_EQ(stats.totalQueries(), 24) << "nothing else is read";
    EXPECT_EQ(time.queue().pendingCount(), 1u) << "one wake-up pending";
    EXPECT_EQ(time.queue().nextDue(), 65.0);
}

TEST_F(SystemStatsTest, ShownItSamplesEverythingAtOnceThenEveryTwoSeconds)
{
    auto s = enable();
    time.advance(1);
    stats.memory = 6'000'000'000;
    stats.volume = SystemStatsSource::Disk{500'000'000'000, 125'000'000'000};
    stats.internalBattery = SystemStatsSource::Battery{64, false};
    stats.timeLeft = 7500;
    stats.processors = 10;
    s->setVisible(true);
    EXPECT_EQ(s->memoryUsed.peek(), 6'000'000'000u);
    EXPECT_EQ(s->diskTotal.peek(), 500'000'000'000);
    EXPECT_DOUBLE_EQ(s->disk(), 0.75);
    EXPECT_EQ(s->battery.peek(), (BatteryService::Event{64, false, false}));
    EXPECT_EQ(s->batteryTimeLeft.peek(), 7500.0);
    EXPECT_EQ(s->processors.peek(), 10);
    EXPECT_EQ(time.queue().nextDue(), 3.0);
    s->setVisible(true);  // a repeated appear does nothing
    EXPECT_EQ(time.queue().nextDue(), 3.0);
    time.advance(10);
    EXPECT_EQ(s->samples(), 2 + 5) << "at 0, on appearing at 1, then at 3, 5, 7, 9 and 11";

    // Hidden again: one more slow sample at once, then every 5 s.
    stats.queries.clear();
    s->setVisible(false);
    EXPECT_EQ(stats.totalQueries(), 2);
    EXPECT_EQ(time.queue().nextDue(), time.now() + 5);
}

TEST_F(SystemStatsTest, TheDiskIsReadOnceAMinuteAndAFailureIsRetriedAtOnce)
{
    auto s = enable();
    s->setVisible(true);
    EXPECT_EQ(stats.queries["disk"], 1);
    EXPECT_EQ(s->diskTotal.peek(), 0) << "failed: readings kept";
    stats.volume = SystemStatsSource::Disk{1000, 400};
    time.advance(2);
    EXPECT_EQ(stats.queries["disk"], 2) << "retried at the next visible sample";
    EXPECT_EQ(s->diskFree.peek(), 400);
    stats.volume = SystemStatsSource::Disk{1000, 300};
    time.advance(60);
    EXPECT_EQ(s->diskFree.peek(), 400) << "exactly 60 s later is not yet more than a minute";
    time.advance(2);
    EXPECT_EQ(s->diskFree.peek(), 300);
    EXPECT_EQ(stats.queries["disk"], 3);
}

TEST_F(SystemStatsTest, RatesComeFromTwoReadingsOfTheShownPage)
{
    stats.network = SystemStatsSource::NetworkBytes{1000, 500};
    auto s = enable();
    s->setVisible(true);
    EXPECT_EQ(s->download.peek(), 0) << "the first reading only records the counters";
    stats.network = SystemStatsSource::NetworkBytes{5000, 1500};
    time.advance(2);
    EXPECT_EQ(s->download.peek(), 2000);
    EXPECT_EQ(s->upload.peek(), 500);

    // Hidden and shown again: the first sample only records, the old rates stay until the next.
    s->setVisible(false);
    stats.network = SystemStatsSource::NetworkBytes{100'000, 2000};
    time.advance(30);
    s->setVisible(true);
    EXPECT_EQ(s->download.peek(), 2000);
    stats.network = SystemStatsSource::NetworkBytes{106'000, 2000};
    time.advance(2);
    EXPECT_EQ(s->download.peek(), 3000);
    EXPECT_EQ(s->upload.peek(), 0);

    // Two readings 0.05 s apart divide by 0.1 s.
    time.advance(1.95);
    s->sample();
    stats.network = SystemStatsSource::NetworkBytes{106'100, 2000};
    time.advance(0.05);  // the 2 s sample
    EXPECT_DOUBLE_EQ(s->download.peek(), 1000);

    // A counter that wrapped past 2^32 still gives the small delta.
    stats.network = SystemStatsSource::NetworkBytes{4'294'967'000, 2000};
    s->sample();
    stats.network = SystemStatsSource::NetworkBytes{4'294'967'296ull + 200, 2000};
    time.advance(2);
    EXPECT_DOUBLE_EQ(s->download.peek(), 496 / 2.0);
}

TEST_F(SystemStatsTest, AChangedWallClockFakesNoRateAndNoBusySpell)
{
    stats.cpu = SystemStatsSource::CpuTicks{};
    stats.network = SystemStatsSource::NetworkBytes{0, 0};
    auto s = enable();
    load(0.9);
    time.advance(5);
    s->setVisible(true);
    stats.network = SystemStatsSource::NetworkBytes{2000, 0};
    time.jumpWall(86400);
    load(0.9);
    time.advance(2);
    EXPECT_EQ(s->download.peek(), 1000) << "measured over the 2 s that passed";
    EXPECT_FALSE(store.activity()) << "a day of wall clock is not a busy spell";
    time.jumpWall(-172800);
    load(0.9);
    time.advance(2);
    EXPECT_FALSE(store.activity());
}

TEST_F(SystemStatsTest, FailedQueriesKeepTheirReadings)
{
    stats.cpu = SystemStatsSource::CpuTicks{};
    stats.memory = 5000;
    stats.internalBattery = SystemStatsSource::Battery{80, true};
    stats.timeLeft = -2;
    auto s = enable();
    s->setVisible(true);
    load(0.5);
    time.advance(2);
    EXPECT_DOUBLE_EQ(s->cpu.peek(), 0.5);
    EXPECT_FALSE(s->batteryTimeLeft.peek()) << "-2: on power";
    stats.cpu.reset();
    stats.memory.reset();
    stats.internalBattery.reset();
    stats.timeLeft = 300;
    time.advance(2);
    EXPECT_DOUBLE_EQ(s->cpu.peek(), 0.5);
    EXPECT_EQ(s->memoryUsed.peek(), 5000u);
    EXPECT_FALSE(s->battery.peek()) << "no battery is an answer, not a failure";
    EXPECT_EQ(s->batteryTimeLeft.peek(), 300.0);
    stats.timeLeft = -1;
    time.advance(2);
    EXPECT_FALSE(s->batteryTimeLeft.peek());

    // Counters going backwards keep the share.
    stats.cpu = SystemStatsSource::CpuTicks{10, 20};
    time.advance(2);
    EXPECT_DOUBLE_EQ(s->cpu.peek(), 0.5);
}

TEST_F(SystemStatsTest, StoppingEndsSamplingAndTheBusyClock)
{
    stats.cpu = SystemStatsSource::CpuTicks{};
    auto s = enable();
    load(0.95);
    time.advance(5);
    ASSERT_TRUE(s->busySince.peek());
    store.setEnabled("system-stats", false);
    EXPECT_FALSE(s->busySince.peek());
    EXPECT_EQ(time.queue().pendingCount(), 0u);
    s->setVisible(true);  // a page still on screen wakes nothing
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST(SystemStatsText, BytesAreDecimalWithTrailingZerosDropped)
{
    auto rate = [](double v) { return SystemStatsExtension::bytes(v, true); };
    EXPECT_EQ(rate(0), "Zero KB/s");
    EXPECT_EQ(rate(-12), "Zero KB/s");
    EXPECT_EQ(rate(0.9), "Zero KB/s") << "truncated first";
    EXPECT_EQ(rate(1234), "1 KB/s");
    EXPECT_EQ(rate(999'499), "999 KB/s");
    EXPECT_EQ(rate(999'500), "1 MB/s");
    EXPECT_EQ(rate(1'200'000), "1.2 MB/s");
    EXPECT_EQ(rate(999'949'999), "999.9 MB/s");
    EXPECT_EQ(rate(999'950'000), "1 GB/s");
    EXPECT_EQ(rate(2'500'000'000), "2.5 GB/s");
    EXPECT_EQ(rate(1'234'567'000'000), "1,234.57 GB/s");
    EXPECT_EQ(rate(std::numeric_limits<double>::quiet_NaN()), "Zero KB/s");
    EXPECT_EQ(SystemStatsExtension::bytes(17179869184.0, false), "16 GB");
    EXPECT_EQ(SystemStatsExtension::bytes(1610612736.0, false), "1.5 GB");
}

TEST(SystemStatsText, PageNumbers)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(SystemStatsPage::gigabytes(13'314'398'618, 1) + " of " + SystemStatsPage::gigabytes(17'179'869'184, 0),
              "12.4 of 16");
    EXPECT_EQ(SystemStatsPage::decimalGigabytes(245'400'000'000), "245");
    EXPECT_EQ(SystemStatsPage::decimalGigabytes(494'000'000'000), "494");
    using E = BatteryService::Event;
    EXPECT_EQ(SystemStatsPage::batteryDetail(E{100, true, false}, std::nullopt), "Charged");
    EXPECT_EQ(SystemStatsPage::batteryDetail(E{99, true, false}, 3600.0), "Charging");
    EXPECT_EQ(SystemStatsPage::batteryDetail(E{50, false, false}, std::nullopt), "On battery");
    EXPECT_EQ(SystemStatsPage::batteryDetail(E{50, false, false}, 59.0), "0:00 left");
    EXPECT_EQ(SystemStatsPage::batteryDetail(E{50, false, false}, 3600.0), "1:00 left");
    EXPECT_EQ(SystemStatsPage::batteryDetail(E{50, false, false}, 7500.0), "2:05 left");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SystemStatsPage::gigabytes(13'314'398'618, 1), "12,4") << "the process's locale";
    QLocale::setDefault(QLocale::c());
}

TEST(SystemStatsDefaults, WarningsAreTrueUnlessFalseIsStored)
{
    UserDefaults store;
    EXPECT_TRUE(store.value(SystemStatsExtension::warnCPU));
    store.set(SystemStatsExtension::warnCPU, false);
    EXPECT_FALSE(store.value(SystemStatsExtension::warnCPU));
    store.set(SystemStatsExtension::warnCPU.key, 0);
    EXPECT_TRUE(store.value(SystemStatsExtension::warnCPU));
}

}  // namespace
