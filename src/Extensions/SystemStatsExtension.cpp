#include "Extensions/SystemStatsExtension.h"

#include "Extensions/ExtensionStore.h"
#include "Kit/Palette.h"
#include "Platform/UserDefaults.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace vesk {

namespace {

// The busy clock starts at this share and stops below the lower one; in between it keeps going.
constexpr double busyFrom = 0.85;
constexpr double busyUntil = 0.6;
constexpr double busyFor = 30.0;
constexpr double visibleInterval = 2.0;
constexpr double hiddenInterval = 5.0;
constexpr double diskEvery = 60.0;
constexpr double shortestRateInterval = 0.1;

double now() { return appClock().now(); }

// `value` with `digits` decimals, trailing zeros (and a bare point) dropped.
QString trimmed(double value, int digits)
{
    QString text = QLocale(QLocale::English).toString(value, 'f', digits);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

}  // namespace

const ExtensionInfo &SystemStatsExtension::typeInfo()
{
    static const ExtensionInfo info{
        "system-stats", "System Stats",
        "Processor, memory, disk, battery and network at a glance, with a heads-up when your computer works hard or runs hot.",
        "gauge.with.dots.needle.50percent", kit::palette::green.toQColor(), "System"};
    return info;
}

SystemStatsExtension::SystemStatsExtension() : memoryTotal(SystemStatsSource::shared().memoryTotal()) {}

double SystemStatsExtension::disk() const
{
    const int64_t total = diskTotal.get();
    if (total < 1)
        return 0;
    return 1.0 - double(diskFree.get()) / double(total);
}

std::optional<ExtensionActivity> SystemStatsExtension::activity() const
{
    const Thermal heat = thermal.peek();
    if (UserDefaults::standard().value(warnHeat) && (heat == Thermal::serious || heat == Thermal::critical))
        return ExtensionActivity{typeInfo().id, "thermometer.high", kit::palette::red.toQColor(),
                                 heat == Thermal::critical ? QStringLiteral("Very hot") : QStringLiteral("Running hot"), false};
    const auto since = busySince.peek();
    if (UserDefaults::standard().value(warnCPU) && since && now() - *since > busyFor) {
        const double percent = std::trunc(cpu.peek() * 100.0);
        return ExtensionActivity{typeInfo().id, "cpu", kit::palette::orange.toQColor(),
                                 QStringLiteral("CPU \u00B7 %1%").arg(qint64(percent)), false};
    }
    return std::nullopt;
}

void SystemStatsExtension::start()
{
    started_ = true;
    schedule();
}

void SystemStatsExtension::stop()
{
    started_ = false;
    timer_.cancel();
    busySince = std::nullopt;
}

void SystemStatsExtension::setVisible(bool visible)
{
    if (visible == isVisible_)
        return;
    isVisible_ = visible;
    if (visible)
        lastBytes_.reset();  // the first rate is measured from a fresh pair of readings
    if (started_)
        schedule();
}

void SystemStatsExtension::schedule()
{
    sample();
    interval_ = isVisible_ ? visibleInterval : hiddenInterval;
    arm(now() + interval_);
}

void SystemStatsExtension::arm(double deadline)
{
    // Each deadline is the previous one plus the interval, so late runs do not drift the cadence.
    std::weak_ptr<SystemStatsExtension> weak = weak_from_this();
    timer_ = mainQueue().after(std::max(0.0, deadline - now()), [this, weak, deadline] {
        if (weak.expired())
            return;
        sample();
        arm(deadline + interval_);
    });
}

void SystemStatsExtension::sample()
{
    ++samples_;
    auto &source = SystemStatsSource::shared();
    if (const auto ticks = source.cpuTicks())
        cpu = cpuFraction(*ticks);
    thermal = source.thermal();
    const double share = cpu.peek();
    if (share >= busyFrom) {
        if (!busySince.peek())
            busySince = now();
    } else if (share < busyUntil) {
        busySince = std::nullopt;
    }
    // Compared with the activity of the previous sample, not with one computed at the start of
    // this one: the busy activity comes due by the clock alone, and would otherwise never be told.
    if (auto current = activity(); current != reported_) {
        reported_ = std::move(current);
        ExtensionStore::shared().activityChanged();
    }
    if (!isVisible_)
        return;
    processors = source.processorCount();
    if (const auto used = source.memoryUsed())
        memoryUsed = *used;
    if (!diskRead_ || now() - *diskRead_ > diskEvery) {
        // A failed read keeps the old figures and is tried again at the next visible sample.
        if (const auto volume = source.disk()) {
            diskTotal = std::max<int64_t>(0, volume->total);
            diskFree = std::max<int64_t>(0, volume->available);
            diskRead_ = now();
        }
    }
    if (const auto reading = source.battery())
        battery = BatteryService::Event{reading->percent, reading->pluggedIn, false};
    else
        battery = std::nullopt;
    const double left = source.batteryTimeLeft();
    batteryTimeLeft = left > 0 ? std::optional<double>(left) : std::nullopt;
    sampleNetwork();
}

double SystemStatsExtension::cpuFraction(const SystemStatsSource::CpuTicks &ticks)
{
    double result = cpu.peek();
    if (lastTicks_ && ticks.total > lastTicks_->total && ticks.busy >= lastTicks_->busy)
        result = double(ticks.busy - lastTicks_->busy) / double(ticks.total - lastTicks_->total);
    lastTicks_ = Ticks{ticks.busy, ticks.total};
    return std::clamp(result, 0.0, 1.0);
}

void SystemStatsExtension::sampleNetwork()
{
    const auto counters = SystemStatsSource::shared().networkBytes();
    if (!counters)
        return;
    const double at = now();
    if (lastBytes_) {
        const double elapsed = std::max(shortestRateInterval, at - lastBytes_->at);
        // Modulo 2^32 on the low 32 bits: a counter that wrapped in between still gives the small delta.
        const uint32_t down = uint32_t(counters->down) - uint32_t(lastBytes_->down);
        const uint32_t up = uint32_t(counters->up) - uint32_t(lastBytes_->up);
        download = double(down) / elapsed;
        upload = double(up) / elapsed;
    }
    lastBytes_ = Bytes{counters->down, counters->up, at};
}

QString SystemStatsExtension::bytes(double value, bool perSecond)
{
    double whole = std::isfinite(value) ? std::trunc(value) : 0.0;
    whole = std::clamp(whole, double(std::numeric_limits<int64_t>::min()), 9.2e18);
    const auto count = int64_t(whole);
    if (!perSecond)
        return trimmed(double(count) / 1073741824.0, 2) + QStringLiteral(" GB");
    QString text;
    if (count <= 0)
        text = QStringLiteral("Zero KB");
    else if (count < 999'500)
        text = trimmed(std::round(double(count) / 1e3), 0) + QStringLiteral(" KB");
    else if (count < 999'950'000)
        text = trimmed(double(count) / 1e6, 1) + QStringLiteral(" MB");
    else
        text = trimmed(double(count) / 1e9, 2) + QStringLiteral(" GB");
    return text + QStringLiteral("/s");
}

}  // namespace vesk
