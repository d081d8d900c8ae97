#include "App/ReadoutRules.h"

#include "App/NotchViewModel.h"
#include "Platform/UserDefaults.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace vesk {

namespace {
bool setting(const char *key) { return UserDefaults::standard().boolValue(key); }
double hudDuration() { return UserDefaults::standard().doubleValue("hudDuration"); }
}  // namespace

void ReadoutRules::battery(const BatteryService::Event &event)
{
    if (!setting(event.isLowWarning ? "showLowBatteryPeek" : "showChargingPeek"))
        return;
    primary_.show(Peek::battery(event.percent, event.pluggedIn), std::max(hudDuration(), minimumBatteryDuration));
}

void ReadoutRules::capsLock(bool on)
{
    if (setting("showCapsLockActivity"))
        primary_.show(Peek::capsLock(on), hudDuration());
}

void ReadoutRules::inputSource(const QString &name)
{
    if (setting("showInputSourceActivity"))
        primary_.show(Peek::inputSource(shortInputSourceName(name)));
}

void ReadoutRules::focus(bool on)
{
    if (setting("showFocusActivity"))
        primary_.show(Peek::focus(on), focusDuration);
}

void ReadoutRules::downloadProgress(std::optional<double> fraction)
{
    primary_.setDownloadFraction(std::optional<std::optional<double>>(fraction));
    for (const auto &mirror : primary_.mirrors())
        mirror->setDownloadFraction(std::optional<std::optional<double>>(fraction));
    primary_.refreshOngoing();
}

void ReadoutRules::downloadEnded(bool completed)
{
    primary_.setDownloadFraction(std::nullopt);
    for (const auto &mirror : primary_.mirrors())
        mirror->setDownloadFraction(std::nullopt);
    primary_.refreshOngoing();
    if (completed && setting("showDownloadActivity"))
        primary_.show(Peek::downloadDone(), downloadDoneDuration);
}

void ReadoutRules::extensionAlert(const ExtensionActivity &activity, double seconds)
{
    primary_.show(Peek::custom(activity), seconds);
}

QString ReadoutRules::shortInputSourceName(const QString &name)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    std::vector<qsizetype> ends;
    while (graphemes.toNextBoundary() > 0)
        ends.push_back(graphemes.position());
    if (ends.size() < 23)
        return name;
    return name.left(ends[20]) + QStringLiteral("…");
}

}  // namespace vesk
