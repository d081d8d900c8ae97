#pragma once

#include "App/LockReaction.h"
#include "Model/IslandLayout.h"
#include "Model/ReadoutRules.h"
#include "Platform/CalendarStore.h"
#include "Base/Lifetime.h"
#include "Base/MainQueue.h"
#include "Base/Signal.h"
#include "Readouts/BatteryService.h"
#include "Readouts/DownloadMonitor.h"
#include "Readouts/MediaKeyTap.h"
#include "Readouts/SystemMonitor.h"

#include <QProcessEnvironment>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vesk {

class DebugBackdrop;
class DebugDiagnostics;
struct DiagnosticsHost;
class LockScreenController;
class NotchViewModel;
class SettingsHost;

// The application: owns the primary island model, the island windows (through the layout), the
// lock-screen controller and the system services, and wires them together when launching finishes.
// Main thread only.
class AppDelegate {
public:
    // `windows` makes the island windows (the X11 panels, or simulated ones in tests).
    explicit AppDelegate(IslandWindowFactory &windows,
                         QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());
    ~AppDelegate();
    AppDelegate(const AppDelegate &) = delete;
    AppDelegate &operator=(const AppDelegate &) = delete;

    // The start-up sequence, in its fixed order: the islands at once, everything after them once
    // they have first appeared (on the main queue's next turn).
    void applicationDidFinishLaunching();
    void startExtensions();
    void syncIslands(bool force);
    void syncKeyTap();
    void watchBrightness();
    bool handle(MediaKeyTap::Key key, bool fine);
    void showVolume(float level, bool muted);
    // Closes every island, then terminates 0.4 s later.
    void quitGracefully();
    void showSettings();
    void showOnboarding();
    // The developer diagnostics (VESK_DEBUG_DIR): switches, signal hooks and snapshots into
    // `snapshotDirectory` (relative to the working directory; empty is the working directory).
    void installDebugSignals(const std::string &snapshotDirectory);
    // Films the primary island along the fixed script into `folder`, then ends the application.
    void recordFilm(const std::string &folder);
    // The backdrop the lock screen is shown over, hidden.
    static std::unique_ptr<DebugBackdrop> makeDebugBackdrop(bool monochrome);
    // What the diagnostics reach of this application.
    DiagnosticsHost debugHost();
    // The diagnostics, once installed or filming.
    DebugDiagnostics *diagnostics() const { return diagnostics_.get(); }
    // A second start of the application asked this one to come forward.
    void reopen() { showSettings(); }

    NotchViewModel &model() const { return *model_; }
    SettingsHost &settings() const { return *settings_; }
    const std::vector<std::shared_ptr<IslandWindow>> &islands() const { return layout_.islands(); }
    const std::string &islandLayout() const { return layout_.islandLayout(); }
    LockScreenController *lockScreenController() const { return lockScreenController_.get(); }
    BatteryService &battery() { return battery_; }
    MediaKeyTap &keyTap() { return keyTap_; }
    SystemMonitor &system() { return system_; }
    DownloadMonitor &downloads() { return downloads_; }
    const ReadoutRules &rules() const { return rules_; }

    // Ends the process, and starts the updater; tests replace them to watch when they happen.
    std::function<void()> terminate;
    std::function<void()> startUpdater;

private:
    // Start-up after the islands: the lock screen, the services, the rules, the extensions.
    void finishLaunching();

    QProcessEnvironment environment_;
    // The user's iCalendar files, unless a test installed another calendar store. Made before the
    // island model, whose calendar service reads it.
    std::unique_ptr<CalendarStore> calendarStore_;
    LockReaction lockReaction_;
    std::shared_ptr<NotchViewModel> model_;
    // After the model: the window's panes read it, so the window goes first.
    std::unique_ptr<SettingsHost> settings_;
    LockReaction::Windows lockAwareWindows_;
    IslandLayout layout_;
    std::unique_ptr<LockScreenController> lockScreenController_;
    BatteryService battery_;
    MediaKeyTap keyTap_;
    SystemMonitor system_;
    DownloadMonitor downloads_;
    ReadoutRules rules_;

    Connection screensConnection_;
    std::unique_ptr<DebugDiagnostics> diagnostics_;
    WorkItem launchRest_;
    WorkItem onboardingItem_;
    WorkItem updaterItem_;
    WorkItem releasePagesItem_;
    WorkItem quitItem_;
    Lifetime lifetime_;
};

}  // namespace vesk
