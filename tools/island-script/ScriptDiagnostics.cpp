#include "ScriptDiagnostics.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "App/SettingsHost.h"
#include "Island/NotchView.h"
#include "Kit/Tree.h"
#include "LockScreen/LockScreenController.h"
#include "Platform/sim/SimScreens.h"
#include "Readouts/CountdownTimer.h"
#include "Settings/SettingsWindow.h"

#include <QProcessEnvironment>

#include <csignal>
#include <cstdio>

using namespace vesk;

namespace {

const std::vector<std::pair<std::string, int>> signalNames = {{"HUP", SIGHUP},   {"VTALRM", SIGVTALRM},
                                                              {"WINCH", SIGWINCH}, {"PWR", SIGPWR},
                                                              {"USR1", SIGUSR1},   {"USR2", SIGUSR2}};

// The fields of `debug`, in their order.
const std::vector<std::string> debugOrder = {"t",      "override", "pinnedOpen",    "pinnedHover",     "hovering",
                                             "showsVolume", "locked", "backdrop",   "timer",           "timerDuration",
                                             "settingsCalls", "onboardingCalls", "terminated"};

std::string flag(bool on) { return on ? "true" : "false"; }

}  // namespace

ScriptDiagnostics::ScriptDiagnostics(ScriptWorld &world) : world_(world) {}

ScriptDiagnostics::~ScriptDiagnostics() = default;

DiagnosticsHost ScriptDiagnostics::makeHost()
{
    DiagnosticsHost host;
    host.model = [this] { return &world_.primary(); };
    host.firstIsland = [this]() -> std::optional<DiagnosticsHost::Island> {
        const auto windows = world_.islandWindows();
        if (windows.empty())
            return std::nullopt;
        const auto screen = world_.screens.screen(windows.front()->display());
        if (!screen)
            return std::nullopt;
        // Where the application's panel sits: the top centre of its screen.
        const QRectF f = screen->frame;
        const QRect panel(int(f.center().x() - NotchView::panelWidth / 2), int(f.top()), int(NotchView::panelWidth),
                          int(NotchView::panelHeight));
        kit::Tree &tree = world_.treeOf(windows.front()->model());
        tree.update();
        const bool hidden = world_.islandsLocked && world_.islandsLocked();
        return DiagnosticsHost::Island{{&tree, !hidden, panel, screen->scale}, f.toRect()};
    };
    host.mainScreen = [this] {
        const auto all = world_.screens.screens();
        return all.empty() ? QRect() : all.front().frame.toRect();
    };
    host.showSettings = [this] {
        ++settingsCalls_;
        if (SettingsHost *settings = world_.settingsHost())
            settings->showSettings();
    };
    host.showOnboarding = [this] {
        ++onboardingCalls_;
        if (SettingsHost *settings = world_.settingsHost())
            settings->showOnboarding();
    };
    host.settingsWindow = [this]() -> QWidget * {
        SettingsHost *settings = world_.settingsHost();
        return settings ? settings->settingsWindow() : nullptr;
    };
    host.closeSettings = [this] {
        if (SettingsHost *settings = world_.settingsHost())
            settings->closeSettings();
    };
    host.raiseSettings = [this] {
        SettingsHost *settings = world_.settingsHost();
        if (QWidget *window = settings ? settings->settingsWindow() : nullptr) {
            window->show();
            window->raise();
        }
    };
    host.useLightAppearance = DebugDiagnostics::useLightAppearance;
    host.setLocked = [this](bool locked) {
        if (LockScreenController *lock = world_.lockScreen ? world_.lockScreen() : nullptr)
            lock->setLocked(locked, false);
    };
    host.writeLockSnapshot = [this](const std::string &path) {
        if (LockScreenController *lock = world_.lockScreen ? world_.lockScreen() : nullptr)
            lock->writeSnapshot(path);
    };
    host.terminate = [this] {
        SettingsHost *settings = world_.settingsHost();
        if (settings && settings->terminate)
            settings->terminate();
        else
            terminated_ = true;
    };
    return host;
}

void ScriptDiagnostics::start()
{
    // Quitting from anywhere (the film's end, the settings window's Quit) counts.
    if (SettingsHost *settings = world_.settingsHost()) {
        settings->terminate = [this, previous = settings->terminate] {
            terminated_ = true;
            if (previous)
                previous();
        };
    }
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("VESK_DEBUG_DIR")))
        return;
    diagnostics_ = std::make_unique<DebugDiagnostics>(makeHost(), environment, [this](int signal, std::function<void()> hook) {
        hooks_[signal] = std::move(hook);
    });
    diagnostics_->install(environment.value(QStringLiteral("VESK_DEBUG_DIR")).toStdString());
}

void ScriptDiagnostics::stop() { diagnostics_.reset(); }

bool ScriptDiagnostics::execute(const std::string &verb, const std::string &line, size_t &pos)
{
    if (verb != "signal" && verb != "debug")
        return false;
    world_.requireStarted(verb);
    const std::string name = script::nextWord(line, pos);
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + " " + name + "\": " + script::rest(line, pos));
    if (verb == "debug") {
        if (!name.empty())
            throw ScriptError("debug takes nothing");
        world_.time.flush();
        std::map<std::string, std::string> f;
        addFields(f);
        char t[32];
        std::snprintf(t, sizeof t, "%.3f", world_.time.now());
        f["t"] = t;
        f["terminated"] = flag(terminated_);
        std::string text;
        for (const auto &key : debugOrder)
            text += (text.empty() ? "" : " ") + key + "=" + f.at(key);
        world_.out << text << "\n";
        return true;
    }
    int number = 0;
    for (const auto &[known, value] : signalNames) {
        if (known == name)
            number = value;
    }
    if (!number)
        throw ScriptError("signal takes HUP, VTALRM, WINCH, PWR, USR1 or USR2");
    if (!diagnostics_)
        throw ScriptError("signal needs the diagnostics: \"env VESK_DEBUG_DIR ...\" before \"start\"");
    hooks_.at(number)();
    world_.time.flush();
    return true;
}

void ScriptDiagnostics::addFields(std::map<std::string, std::string> &f) const
{
    if (!world_.started())
        return;
    const NotchViewModel &m = world_.primary();
    const auto override = m.stateOverride.peek();
    f["override"] = override ? name(*override) : "none";
    f["pinnedOpen"] = flag(m.isPinnedOpen.peek());
    f["pinnedHover"] = flag(m.isPinnedHovering.peek());
    f["hovering"] = flag(m.isHovering.peek());
    f["showsVolume"] = flag(m.showsVolume.peek());
    f["locked"] = flag(world_.islandsLocked && world_.islandsLocked());
    f["backdrop"] = DebugDiagnostics::name(diagnostics_ ? diagnostics_->backdrop() : DebugDiagnostics::Backdrop::hidden);
    f["timer"] = m.countdown().isRunning().peek() ? "running" : "stopped";
    f["timerDuration"] = script::compact(m.countdown().duration().peek());
    f["settingsCalls"] = std::to_string(settingsCalls_);
    f["onboardingCalls"] = std::to_string(onboardingCalls_);
}
