#pragma once

#include "LockScreen/LockScreenController.h"
#include "LockScreen/LockSounds.h"
#include "Platform/sim/SimClipPlayer.h"
#include "Platform/sim/SimPanelWindow.h"
#include "Platform/sim/SimScreenLock.h"

#include "Model/IslandTestSupport.h"

#include <memory>
#include <vector>

namespace vesk::test {

// A primary island on the simulated platform with its lock-screen controller, whose windows are
// simulated panels (the padlock is made first, then the card).
class LockScreenTest : public PlatformTest {
protected:
    LockScreenTest()
    {
        setScreenLock(&session);
        LockSounds::reset();
    }
    ~LockScreenTest() override
    {
        controller.reset();
        model.reset();
        setScreenLock(nullptr);
        LockSounds::reset();
    }

    void start()
    {
        model = settledPrimary();
        controller = std::make_unique<LockScreenController>(*model, [this] {
            auto window = std::make_unique<SimPanelWindow>();
            windows.push_back(window.get());
            return window;
        });
        time.flush();
    }
    SimPanelWindow &padlock() const { return *windows.at(0); }
    SimPanelWindow &card() const { return *windows.at(1); }
    void play(const std::string &title = "Song")
    {
        model->nowPlaying().track = playing(title);
        time.flush();
    }

    SimScreenLock session;
    SimClipPlayer player;
    std::shared_ptr<NotchViewModel> model;
    std::unique_ptr<LockScreenController> controller;
    std::vector<SimPanelWindow *> windows;
};

}  // namespace vesk::test
