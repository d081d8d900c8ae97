#pragma once

// The diagnostics over a simulated application: a settled primary island with one mirror, a small
// island window tree, signal hooks kept in a table instead of the process's signals, and the host's
// calls counted.

#include "Diagnostics/DebugDiagnostics.h"
#include "Kit/Kit.h"
#include "Model/IslandTestSupport.h"

#include <QTemporaryDir>

#include <csignal>
#include <map>

namespace vesk::test {

class DiagnosticsTest : public PlatformTest {
protected:
    DiagnosticsTest()
    {
        tree.setRoot(kit::Fill(kit::Color::white()).frame(20, 10));
        host.model = [this] { return model.get(); };
        host.firstIsland = [this]() -> std::optional<DiagnosticsHost::Island> {
            if (!hasIsland)
                return std::nullopt;
            return DiagnosticsHost::Island{{&tree, islandVisible, QRect(580, 0, 760, 300), 2}, QRect(0, 0, 1920, 1080)};
        };
        host.mainScreen = [] { return QRect(0, 0, 1920, 1080); };
        host.showSettings = [this] { ++settingsCalls; };
        host.showOnboarding = [this] { ++onboardingCalls; };
        host.useLightAppearance = [this] { lightAt = time.now(); };
        host.settingsWindow = [] { return nullptr; };
        host.closeSettings = [this] { closedAt = time.now(); };
        host.setLocked = [this](bool locked) { lockCalls.push_back(locked); };
        host.terminate = [this] { terminatedAt = time.now(); };
    }
    ~DiagnosticsTest() override { WindowSnapshot::setGrabber({}); }

    DebugDiagnostics::HookInstaller recordHooks()
    {
        return [this](int signal, std::function<void()> hook) {
            hookOrder.push_back(signal);
            hooks[signal] = std::move(hook);
        };
    }
    std::unique_ptr<DebugDiagnostics> install(QProcessEnvironment env = {}, std::string dir = {})
    {
        auto diagnostics = std::make_unique<DebugDiagnostics>(host, env, recordHooks());
        diagnostics->install(dir.empty() ? folder.path().toStdString() : dir);
        return diagnostics;
    }
    void raise(int signal, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            ASSERT_TRUE(hooks.count(signal)) << "no hook for signal " << signal;
            hooks.at(signal)();
        }
    }
    static QProcessEnvironment env(std::initializer_list<std::pair<const char *, const char *>> vars)
    {
        QProcessEnvironment e;
        for (const auto &[name, value] : vars)
            e.insert(QString::fromUtf8(name), QString::fromUtf8(value));
        return e;
    }

    std::shared_ptr<NotchViewModel> model = settledPrimary();
    std::shared_ptr<NotchViewModel> mirror = NotchViewModel::makeMirror(*model);
    kit::Tree tree{QSizeF(760, 300)};
    bool hasIsland = true;
    bool islandVisible = true;
    DiagnosticsHost host;
    QTemporaryDir folder;
    std::map<int, std::function<void()>> hooks;
    std::vector<int> hookOrder;
    int settingsCalls = 0;
    int onboardingCalls = 0;
    std::optional<double> lightAt, closedAt, terminatedAt;
    std::vector<bool> lockCalls;
};

}  // namespace vesk::test
