#pragma once

#include "ScriptModule.h"

#include "Diagnostics/DebugDiagnostics.h"

#include <map>
#include <memory>

// The developer diagnostics in scripts. `start` installs them last when VESK_DEBUG_DIR was given
// with `env`, reading the other switches then; snapshots and films are written relative to the
// working directory, films on the virtual clock from the first island's window at its screen's
// scale, and a film's end counts as the application terminating.
//
//   signal HUP|VTALRM|WINCH|PWR|USR1|USR2     runs that hook at once
//   debug                                     prints the fields below in order
//
// Fields: override, pinnedOpen, pinnedHover, hovering, showsVolume, locked, backdrop
// (hidden|colour|mono), timer (running|stopped), timerDuration, settingsCalls, onboardingCalls
// (and the settings window's terminated, which `debug` prints last).
class ScriptDiagnostics final : public ScriptModule {
public:
    explicit ScriptDiagnostics(ScriptWorld &world);
    ~ScriptDiagnostics() override;

    bool execute(const std::string &verb, const std::string &line, size_t &pos) override;
    void start() override;
    void stop() override;
    void addFields(std::map<std::string, std::string> &fields) const override;

private:
    vesk::DiagnosticsHost makeHost();

    ScriptWorld &world_;
    std::unique_ptr<vesk::DebugDiagnostics> diagnostics_;
    std::map<int, std::function<void()>> hooks_;
    int settingsCalls_ = 0;
    int onboardingCalls_ = 0;
    bool terminated_ = false;
};
