// The application's side of the developer diagnostics: what they may reach, and their installation.

#include "App/AppDelegate.h"

#include "App/SettingsHost.h"
#include "Diagnostics/DebugBackdrop.h"
#include "Diagnostics/DebugDiagnostics.h"
#include "Island/NotchWindowController.h"
#include "LockScreen/LockScreenController.h"
#include "Model/NotchViewModel.h"
#include "Platform/Screens.h"
#include "Settings/SettingsWindow.h"


namespace vesk {

namespace {

QRect mainScreenFrame()
{
    const auto all = screens().screens();
    return all.empty() ? QRect() : all.front().frame.toRect();
}

}  // namespace

std::unique_ptr<DebugBackdrop> AppDelegate::makeDebugBackdrop(bool monochrome)
{
    return std::make_unique<DebugBackdrop>(monochrome, mainScreenFrame());
}

DiagnosticsHost AppDelegate::debugHost()
{
    DiagnosticsHost host;
    host.model = [this] { return model_.get(); };
    host.firstIsland = [this]() -> std::optional<DiagnosticsHost::Island> {
        if (islands().empty())
            return std::nullopt;
        auto *controller = dynamic_cast<NotchWindowController *>(islands().front().get());
        if (!controller || !controller->screen())
            return std::nullopt;
        return DiagnosticsHost::Island{controller->snapshotWindow(), controller->screen()->frame.toRect()};
    };
    host.mainScreen = mainScreenFrame;
    host.showSettings = [this] { showSettings(); };
    host.showOnboarding = [this] { showOnboarding(); };
    host.settingsWindow = [this]() -> QWidget * { return settings_->settingsWindow(); };
    host.closeSettings = [this] { settings_->closeSettings(); };
    host.raiseSettings = [this] {
        if (QWidget *window = settings_->settingsWindow()) {
            window->show();
            window->raise();
            window->activateWindow();
        }
    };
    host.useLightAppearance = DebugDiagnostics::useLightAppearance;
    host.setLocked = [this](bool locked) {
        if (lockScreenController_)
            lockScreenController_->setLocked(locked, false);
    };
    host.writeLockSnapshot = [this](const std::string &path) {
        if (lockScreenController_)
            lockScreenController_->writeSnapshot(path);
    };
    host.raisePanels = [this] {
        for (const auto &island : islands()) {
            if (auto *controller = dynamic_cast<NotchWindowController *>(island.get());
                controller && controller->panel().isVisible())
                controller->panel().orderFront();
        }
    };
    host.terminate = [this] {
        if (terminate)
            terminate();
    };
    return host;
}

void AppDelegate::installDebugSignals(const std::string &snapshotDirectory)
{
    if (!diagnostics_)
        diagnostics_ = std::make_unique<DebugDiagnostics>(debugHost(), environment_);
    diagnostics_->install(snapshotDirectory);
}

void AppDelegate::recordFilm(const std::string &folder)
{
    if (!diagnostics_)
        diagnostics_ = std::make_unique<DebugDiagnostics>(debugHost(), environment_);
    diagnostics_->recordFilm(folder);
}

}  // namespace vesk
