#include "Settings/Panes/GeneralPane.h"

#include "Platform/LoginItem.h"
#include "Base/Log.h"
#include "Model/Defaults.h"
#include "Settings/PaneKit/PaneForm.h"

#include <QMetaObject>

#include <cmath>

namespace vesk {

GeneralPane::GeneralPane(Updater &updater, QWidget *parent) : PaneScaffold(std::nullopt, {}, parent)
{
    Updater *u = &updater;
    launchAtLogin_ = loginItem().status() == LoginItem::Status::enabled;
    PaneForm &f = form();

    f.section();
    f.addSwitch(QStringLiteral("Launch at login"), [this] { return launchAtLogin_; },
                [this](bool on) { changeLaunchAtLogin(on); });
    f.addSwitch(QStringLiteral("Show tray icon"), settings::showMenuBarIcon);
    f.footnote(QStringLiteral("With the tray icon hidden, or on a desktop without a tray, right-click the notch to open "
                              "Settings."));

    f.section(QStringLiteral("Updates"));
    f.addValue(QStringLiteral("Version"), [u] {
        return QStringLiteral("%1 (%2)").arg(QString::fromStdString(u->currentVersion())).arg(u->currentBuild());
    });
    f.addSwitch(QStringLiteral("Check for updates automatically"), settings::automaticUpdates);
    f.addSwitch(QStringLiteral("Install updates automatically"), settings::installUpdatesAutomatically,
                {.enabled = [] { return UserDefaults::standard().value(settings::automaticUpdates); }});
    f.addButton([u] { return updateStatus(u->phase().peek()); }, QStringLiteral("Check Now"), [u] { u->check(true); },
                [u] { return u->phase().peek().kind != Updater::Phase::Case::checking; });
    f.footnote(QStringLiteral("When a new version is ready, the notch opens to tell you. With automatic installs, Vesk "
                              "restarts into it a few seconds later unless you choose Later."));

    f.section(QStringLiteral("Haptics"));
    f.addSwitch(QStringLiteral("Haptic feedback"), settings::hapticFeedback);
    auto haptics = [] { return UserDefaults::standard().value(settings::hapticFeedback); };
    f.addSwitch(QStringLiteral("When the pointer reaches the notch"), settings::hapticOnHover, {.enabled = haptics});
    f.addSwitch(QStringLiteral("When switching tabs"), settings::hapticOnPageTurn, {.enabled = haptics});
    f.footnote(QStringLiteral("Linux has no trackpad haptics: these switches change nothing here."));

    phase_ = updater.phase().observe([this] { form().refresh(); });
}

int GeneralPane::downloadPercent(double progress)
{
    if (!std::isfinite(progress))
        return 0;
    const double percent = std::round(progress * 100 * 1e9) / 1e9;
    return int(std::clamp(std::floor(percent), 0.0, 100.0));
}

QString GeneralPane::updateStatus(const Updater::Phase &phase)
{
    using Case = Updater::Phase::Case;
    const QString version = QString::fromStdString(phase.version);
    switch (phase.kind) {
    case Case::idle: return QStringLiteral("Check for a new version");
    case Case::checking: return QStringLiteral("Checking\u2026");
    case Case::downloading:
        return QStringLiteral("Downloading %1\u2026 %2%").arg(version).arg(downloadPercent(phase.progress));
    case Case::ready: return QStringLiteral("Vesk %1 is ready").arg(version);
    case Case::installing: return QStringLiteral("Installing %1\u2026").arg(version);
    case Case::failed: return QString::fromStdString(phase.message);
    }
    return {};
}

void GeneralPane::changeLaunchAtLogin(bool on)
{
    if (on == launchAtLogin_)
        return;
    launchAtLogin_ = on;
    form().refresh();
    setLaunchAtLogin(on);
}

void GeneralPane::setLaunchAtLogin(bool on)
{
    LoginItem &item = loginItem();
    if (const auto failure = on ? item.registerItem() : item.unregisterItem())
        log("could not update login item: " + *failure);
    const bool enabled = item.status() == LoginItem::Status::enabled;
    if (enabled != launchAtLogin_)
        changeLaunchAtLogin(enabled);  // runs the change once more, as a change of the switch does
}

}  // namespace vesk
