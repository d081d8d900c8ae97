#pragma once

#include "ScriptModule.h"

#include "App/LockReaction.h"
#include "LockScreen/LockScreenController.h"
#include "Platform/sim/SimClipPlayer.h"
#include "Platform/sim/SimScreenLock.h"

#include <memory>

// The lock screen: a simulated session lock, the controller with simulated windows, the lock
// sounds on a recording player, and the application's lock reaction on the run's islands.
//
//   lock on|off                    the session locks or unlocks (changes only)
//   lock notify on|off             the system's lock report again, with the sound
//   lock set on|off                setLocked without the sound, as the diagnostics do
//   lock render card|padlock FILE [SCALE]
//   lock texts card|padlock
//   wav lock|unlock FILE           the synthesised clip's bytes
//
// Fields: isScreenLocked, indicator, cardShown, cardWindow, padlockWindow, cardMouse,
// cardOnScreen, padlockOnScreen, played.
class ScriptLock final : public ScriptModule {
public:
    explicit ScriptLock(ScriptWorld &world);
    ~ScriptLock() override;

    bool execute(const std::string &verb, const std::string &line, size_t &pos) override;
    void start() override;
    void stop() override;
    void addFields(std::map<std::string, std::string> &fields) const override;

private:
    const vesk::LockPanel &panel(const std::string &which, const std::string &verb) const;

    ScriptWorld &world_;
    vesk::SimScreenLock session_;
    vesk::SimClipPlayer player_;
    vesk::LockReaction reaction_;
    std::unique_ptr<vesk::LockScreenController> controller_;
};
