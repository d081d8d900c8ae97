#pragma once

// A simulated platform for island model tests: virtual time, recorded haptics and sounds, an
// in-memory calendar and settings store, and the shared registries put back as they were. The
// model is handed its services; PlatformTest installs them too, for the code above the model that
// reads the installed ones.

#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "Extensions/ExtensionStore.h"
#include "Extensions/SimulatedExtension.h"
#include "Model/SpaceSwipeDetector.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/VolumeService.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimAccessibilityTrust.h"
#include "Platform/sim/SimAudioDevices.h"
#include "Platform/sim/SimBacklight.h"
#include "Platform/sim/SimFileProgress.h"
#include "Platform/sim/SimFocusStatus.h"
#include "Platform/sim/SimKeyboardState.h"
#include "Platform/sim/SimMediaKeyGrab.h"
#include "Platform/sim/SimCalendarStore.h"
#include "Platform/sim/SimHaptics.h"
#include "Platform/sim/SimScreens.h"
#include "Platform/sim/SimSwipeSource.h"
#include "Platform/sim/SimWorkspace.h"
#include "Platform/sim/SimSound.h"
#include "Base/VirtualTime.h"
#include "Readouts/CalendarService.h"
#include "Readouts/CountdownTimer.h"
#include "Updater/Updater.h"

#include <gtest/gtest.h>

#include <memory>

namespace vesk {
// Readable failure messages.
inline void PrintTo(const Peek &peek, std::ostream *os)
{
    *os << peek.caseName();
    if (auto text = peek.text())
        *os << " \"" << text->toStdString() << "\"";
}
}  // namespace vesk

namespace vesk::test {

class IslandTest : public ::testing::Test {
protected:
    IslandTest()
    {
        swipeSource.connectDevice(trackpad);
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        // Tests must not depend on the machine: never import an earlier product's settings file.
        UserDefaults::standard().set(Defaults::migrationFlagKey, true);
        ExtensionStore::shared().stopAll();
        Updater::shared().setPhase(Updater::Phase::idle());
    }
    ~IslandTest() override
    {
        ExtensionStore::shared().stopAll();
        ExtensionStore::shared().onActivityChange = nullptr;
        Updater::shared().setPhase(Updater::Phase::idle());
    }

    UserDefaults &defaults() { return UserDefaults::standard(); }

    // The island's services on this fixture's simulated platform: fresh island services, the
    // simulated displays, workspace, audio devices, swipes, haptics and sounds.
    NotchViewModel::Services simulatedServices()
    {
        return {std::make_shared<NowPlayingService>(settings::audioSource),
                std::make_shared<CalendarService>(calendarStore),
                std::make_shared<VolumeService>(audioDevices),
                std::make_shared<CountdownTimer>(),
                &screens,
                &workspace,
                &audioDevices,
                &swipes,
                &haptics,
                &sound,
                &ExtensionStore::shared(),
                &Updater::shared()};
    }

    // A primary model on the simulated services that has settled (its first 0.9 s are over).
    std::shared_ptr<NotchViewModel> settledPrimary()
    {
        auto model = NotchViewModel::makePrimary(simulatedServices());
        time.advance(1.0);
        return model;
    }

    static Track playing(std::string title, std::optional<std::string> bundleID = std::nullopt)
    {
        Track track;
        track.title = std::move(title);
        track.isPlaying = true;
        track.bundleID = std::move(bundleID);
        return track;
    }

    // A calendar event `inSeconds` from now, read into the model's calendar at once.
    void addEvent(NotchViewModel &model, const QString &title, double inSeconds, bool allDay = false)
    {
        const double start = time.wallNow() + inSeconds;
        calendarStore.add({std::nullopt, title, start, start + 3600, allDay, QColor("#ff0000")});
        model.calendar().refresh();
    }

    std::shared_ptr<SimulatedExtension> runExtension(const std::string &id, const QString &text, bool urgent = false)
    {
        auto extension = std::make_shared<SimulatedExtension>(ExtensionInfo{id, id});
        extension->show(ExtensionActivity{id, "star", QColor(Qt::yellow), text, urgent});
        ExtensionStore::shared().run(extension);
        return extension;
    }

    std::vector<HapticPattern> patternsOf(const NotchViewModel &model)
    {
        std::vector<HapticPattern> found;
        for (const auto &entry : haptics.entries) {
            if (entry.performer == &model)
                found.push_back(entry.pattern);
        }
        return found;
    }

    struct Display {
        QString name;
        QSizeF size;
        double scale = 1;
        std::optional<QSizeF> notch;
        double topBar = 0;
    };
    // A laptop display with a 185 x 32 notch, and a plain external display.
    static Display laptop(const char *name = "eDP-1") { return {name, QSizeF(1512, 982), 2, QSizeF(185, 32), 37}; }
    static Display external(const char *name = "DP-1", double topBar = 24)
    {
        return {name, QSizeF(2560, 1440), 1, std::nullopt, topBar};
    }
    // Connects a display and returns it as the screens service reports it.
    Screen plug(const Display &d) { return screens.plug(d.name, d.size, d.scale, d.notch, d.topBar); }

    VirtualTime time;
    SimScreens screens;
    SimWorkspace workspace;
    SimAudioDevices audioDevices;
    SimMediaKeyGrab keyGrab;
    SimBacklight light;
    SimAccessibilityTrust trust;
    SimKeyboardState keyboard;
    SimFocusStatus focusState;
    SimFileProgress fileProgress;
    SimSwipeSource swipeSource;
    SpaceSwipeDetector swipes{swipeSource};
    static constexpr uint64_t trackpad = 1;
    SimHaptics haptics;
    SimSound sound;
    SimCalendarStore calendarStore;
};

// The same simulated platform installed as the process's services, for the application, the
// windows, the lock screen, the settings and the tour, which read the installed ones.
class PlatformTest : public IslandTest {
protected:
    PlatformTest()
    {
        setScreens(&screens);
        setWorkspace(&workspace);
        setAudioDevices(&audioDevices);
        setSwipeSource(&swipeSource);
        setMediaKeyGrab(&keyGrab);
        setBacklight(&light);
        setAccessibilityTrust(&trust);
        setKeyboardState(&keyboard);
        setFocusStatus(&focusState);
        setFileProgress(&fileProgress);
        SpaceSwipeDetector::setShared(&swipes);
    }
    ~PlatformTest() override
    {
        setScreens(nullptr);
        setWorkspace(nullptr);
        setAudioDevices(nullptr);
        setSwipeSource(nullptr);
        setMediaKeyGrab(nullptr);
        setBacklight(nullptr);
        setAccessibilityTrust(nullptr);
        setKeyboardState(nullptr);
        setFocusStatus(nullptr);
        setFileProgress(nullptr);
        SpaceSwipeDetector::setShared(nullptr);
    }
};

}  // namespace vesk::test
