#pragma once

#include "Base/MainQueue.h"
#include "Platform/UserDefaults.h"
#include "Settings/SettingsView.h"

#include <QProcessEnvironment>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QMenuBar;

namespace vesk {

class NotchViewModel;
class SettingsWindow;

// Hosts the settings window for the application: builds it (at most one), brings it forward,
// gives it the main menu, saves and restores its frame, drops it when it closes, and starts the
// onboarding tour in the primary island. Closing the window never quits Vesk. Main thread only.
class SettingsHost {
public:
    SettingsHost(NotchViewModel &model, QProcessEnvironment environment);
    ~SettingsHost();
    SettingsHost(const SettingsHost &) = delete;
    SettingsHost &operator=(const SettingsHost &) = delete;

    // Opens the window, or brings the open one forward.
    void showSettings();
    // Closes the window as its Close item does (nothing when none is open).
    void closeSettings();
    // Starts the tour at VESK_DEBUG_ONBOARDING's page (0 when missing or not a number), closing
    // the settings window first; the finished tour marks "hasSeenOnboarding".
    void showOnboarding();

    SettingsWindow *settingsWindow() const { return window_.get(); }
    // A new main menu for the window: Vesk, Edit and Window.
    QMenuBar *makeMainMenu(SettingsWindow &window);
    // Triggers the window's menu item titled `title`; false when there is no such item.
    bool runMenuItem(const QString &title);

    // Ends the process ("Quit Vesk", "Quit"); the owner decides how.
    std::function<void()> terminate;

    // Set when the tour has been finished once; a first launch starts it.
    static constexpr Setting<bool> hasSeenOnboarding{"hasSeenOnboarding", false};
    // The window's frame, [x, y, width, height].
    static constexpr const char *frameKey = "settingsWindowFrame";
    // The saved frame, when it is well formed and 100 x 100 pixels of it lie on a current screen.
    static std::optional<QRect> savedFrame();
    // The page VESK_DEBUG_ONBOARDING names.
    static int onboardingStartPage(const QProcessEnvironment &environment);

private:
    void becomeRegularApp(std::function<void()> then);
    void windowClosing();
    void saveFrame();

    NotchViewModel &model_;
    QProcessEnvironment environment_;
    std::unique_ptr<SettingsWindow> window_;
    WorkItem activate_;
    WorkItem focus_;
    WorkItem drop_;
    bool closing_ = false;
};

}  // namespace vesk
