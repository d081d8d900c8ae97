#pragma once

#include "Diagnostics/WindowSnapshot.h"

#include <QRect>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace vesk {

class NotchViewModel;

// What the developer diagnostics reach of the running application, handed to them by whoever runs
// them (the application, or island-script on its simulated platform). An empty callback is a part
// that does not exist: its steps do nothing.
struct DiagnosticsHost {
    // The first island's window as a snapshot sees it, with the frame of its screen (desktop
    // points, y down).
    struct Island {
        WindowSnapshot::Window window;
        QRect screenFrame;
    };

    // The primary island model; null once it is gone.
    std::function<NotchViewModel *()> model;
    // The first (primary) island; none without islands or when its screen is unknown.
    std::function<std::optional<Island>()> firstIsland;
    // The main screen's frame in desktop points; empty without screens.
    std::function<QRect()> mainScreen;

    std::function<void()> showSettings;
    std::function<void()> showOnboarding;
    // The settings window while one exists.
    std::function<QWidget *()> settingsWindow;
    std::function<void()> closeSettings;
    // Activates the application and brings the settings window to the front.
    std::function<void()> raiseSettings;
    // The light appearance on the whole application.
    std::function<void()> useLightAppearance;

    // The lock-screen controller: empty when there is none.
    std::function<void(bool locked)> setLocked;
    std::function<void(const std::string &path)> writeLockSnapshot;

    // Puts the island (and lock) panels back above a backdrop just ordered front.
    std::function<void()> raisePanels;
    // Ends the application at once, as Quit does.
    std::function<void()> terminate;
};

}  // namespace vesk
