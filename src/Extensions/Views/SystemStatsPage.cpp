#include "Extensions/Views/SystemStatsPage.h"

#include "Model/Motion.h"
#include "Extensions/SystemStatsExtension.h"
#include "Extensions/Views/StatGauge.h"
#include "Kit/Palette.h"

#include <QLocale>

#include <cmath>

namespace vesk {

using namespace kit;

namespace {

// Red from 90 %, orange from 75 %, else the reading's own colour.
Color loadTint(double share, Color calm)
{
    if (share >= 0.9)
        return palette::red;
    if (share >= 0.75)
        return palette::orange;
    return calm;
}

QString whole(double share)
{
    return QLocale().toString(qint64(std::isfinite(share) ? std::trunc(share * 100.0) : 0));
}

}  // namespace

QString SystemStatsPage::gigabytes(uint64_t bytes, int digits)
{
    return QLocale().toString(double(bytes) / 1073741824.0, 'f', digits);
}

QString SystemStatsPage::decimalGigabytes(int64_t bytes)
{
    return QLocale().toString(double(bytes) / 1e9, 'f', 0);
}

QString SystemStatsPage::batteryDetail(const BatteryService::Event &battery, std::optional<double> timeLeft)
{
    if (battery.pluggedIn && battery.percent > 99)
        return QStringLiteral("Charged");
    if (battery.pluggedIn)
        return QStringLiteral("Charging");
    if (!timeLeft)
        return QStringLiteral("On battery");
    const auto minutes = qint64(*timeLeft / 60.0);
    return QStringLiteral("%1:%2 left").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

Element SystemStatsPage::body(const Env &) const
{
    const SystemStatsExtension &s = *stats;
    const double cpu = s.cpu.get();
    const uint64_t memoryUsed = s.memoryUsed.get();
    const double memoryShare = s.memoryTotal == 0 ? 0.0 : double(memoryUsed) / double(s.memoryTotal);
    const double disk = s.disk();
    const int64_t diskTotal = s.diskTotal.get();
    const int64_t diskFree = s.diskFree.get();
    const auto battery = s.battery.get();
    const double download = s.download.get();
    const double upload = s.upload.get();

    Elements gauges;
    gauges.push_back(view(StatGauge{QStringLiteral("CPU"), cpu, whole(cpu),
                                    QLocale().toString(s.processors.get()) + QStringLiteral(" cores"),
                                    loadTint(cpu, palette::green)}));
    gauges.push_back(view(StatGauge{QStringLiteral("Memory"), memoryShare, whole(memoryShare),
                                    gigabytes(memoryUsed, 1) + QStringLiteral(" of ") + gigabytes(s.memoryTotal, 0)
                                        + QStringLiteral(" GB"),
                                    loadTint(memoryShare, palette::blue)}));
    gauges.push_back(view(StatGauge{QStringLiteral("Disk"), disk, whole(disk),
                                    decimalGigabytes(diskTotal - diskFree) + QStringLiteral(" of ")
                                        + decimalGigabytes(diskTotal) + QStringLiteral(" GB"),
                                    loadTint(disk, palette::indigo)}));
    if (battery) {
        const Color tint = battery->pluggedIn ? palette::green : battery->percent > 20 ? Color::white() : palette::red;
        gauges.push_back(view(StatGauge{QStringLiteral("Battery"), battery->percent / 100.0,
                                        QLocale().toString(battery->percent),
                                        batteryDetail(*battery, s.batteryTimeLeft.get()), tint}));
    }

    Element network = HStack(StackOptions{Alignment::center(), 16},
                             StatLabelStyle::make(QStringLiteral("arrow.down"), Text(SystemStatsExtension::bytes(download, true))),
                             StatLabelStyle::make(QStringLiteral("arrow.up"), Text(SystemStatsExtension::bytes(upload, true))))
                          .font(Font::system(11, Weight::medium).monospacedDigits())
                          .foreground(Color::white(0.55))
                          .contentTransition(ContentTransition::numericText);

    std::weak_ptr<SystemStatsExtension> weak = stats;
    return VStack(StackOptions{Alignment::center(), 12}, HStack(StackOptions{Alignment::top(), 0}, std::move(gauges)),
                  network)
        .padding(Edges{10, 16, 0, 16})
        .animation(Motion::value, cpu)
        .animation(Motion::value, memoryUsed)
        .animation(Motion::value, download)
        .onAppear([weak] {
            if (auto extension = weak.lock())
                extension->setVisible(true);
        })
        .onDisappear([weak] {
            if (auto extension = weak.lock())
                extension->setVisible(false);
        });
}

}  // namespace vesk
