#pragma once

#include "Model/IslandLayout.h"
#include "Model/NotchViewModel.h"
#include "Model/ReadoutRules.h"
#include "ScriptExtensions.h"
#include "ScriptIslandWindow.h"
#include "ScriptModule.h"
#include "ScriptCalendar.h"
#include "ScriptPointing.h"
#include "ScriptReadouts.h"
#include "ScriptSettings.h"
#include "ScriptNowPlaying.h"
#include "ScriptViews.h"
#include "Extensions/ExtensionStore.h"
#include "Model/SpaceSwipeDetector.h"
#include "Platform/sim/SimAudioDevices.h"
#include "Platform/sim/SimCalendarStore.h"
#include "Platform/sim/SimHaptics.h"
#include "Platform/sim/SimScreens.h"
#include "Platform/sim/SimSwipeSource.h"
#include "Platform/sim/SimWorkspace.h"
#include "Platform/sim/SimSound.h"
#include "Base/VirtualTime.h"
#include "Readouts/DownloadMonitor.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Runs island models on the simulated platform and the virtual clock, one script command at a
// time. It plays the application's part too: the readout rules for downloads and extensions and
// the reactions to settings changes.
class ScriptRunner {
public:
    ScriptRunner(std::ostream &out, std::ostream &err);
    ~ScriptRunner();

    // Runs a whole script: 0 when every expectation held, 1 when one failed, 2 on a script error.
    int run(std::istream &script, const std::string &fileName);

private:
    void execute(const std::string &line);
    bool executeIslandVerb(const std::string &verb, const std::string &line, size_t &pos);
    void plugScreen(const std::string &line, size_t &pos);
    void setOutputs(const nlohmann::json &list);
    void syncIslands(bool force);
    void start();
    void requireStarted(const std::string &verb) const;
    std::string folder() const;
    void requireNotStarted(const std::string &verb) const;
    vesk::NotchViewModel &primary() const;
    vesk::NotchViewModel &selected() const;

    // Output.
    std::map<std::string, std::string> fields(const vesk::NotchViewModel &model) const;
    std::string printLine(const vesk::NotchViewModel &model) const;
    void expect(const std::string &name, const std::string &value);
    void printHaptics();
    int indexOf(const void *model) const;

    std::ostream &out_;
    std::ostream &err_;
    std::string file_;
    int lineNumber_ = 0;
    bool failed_ = false;

    vesk::VirtualTime time_;
    ScriptReadouts readouts_{[this] { time_.flush(); }};
    vesk::SimHaptics haptics_;
    vesk::SimSound sound_;
    vesk::SimCalendarStore calendarStore_;
    ScriptCalendar calendar_{calendarStore_, [this] { time_.flush(); }, [this](double s) { time_.jumpWall(s); }};
    vesk::SimScreens screens_;
    vesk::SimWorkspace workspace_;
    vesk::SimAudioDevices audio_;
    vesk::SimSwipeSource swipeSource_;
    vesk::SpaceSwipeDetector swipes_{swipeSource_};
    ScriptIslandFactory windows_;

    // Before the models: its simulated services outlive the now-playing service.
    ScriptNowPlaying nowPlaying_;
    int mirrorCount_ = 0;
    bool started_ = false;
    size_t selected_ = 0;
    std::shared_ptr<vesk::NotchViewModel> primary_;
    std::unique_ptr<vesk::IslandLayout> layout_;
    std::unique_ptr<vesk::ReadoutRules> rules_;
    // The islands in layout order (the primary and its mirrors without screens).
    std::vector<std::shared_ptr<vesk::NotchViewModel>> islands_;
    ScriptViews views_;
    ScriptPointing pointing_;
    ScriptExtensions extensionVerbs_{readouts_.power()};
    std::unique_ptr<ScriptSettings> settings_ = std::make_unique<ScriptSettings>();
    ScriptWorld world_;
    std::vector<std::unique_ptr<ScriptModule>> modules_;
};
