#pragma once

#include "Model/IslandLayout.h"
#include "Model/NotchViewModel.h"
#include "Base/VirtualTime.h"

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace kit {
class Tree;
}
namespace vesk {
class LockScreenController;
class SettingsHost;
class SimScreens;
class SimSound;
}

// What a module of verbs may use of the run it belongs to.
struct ScriptWorld {
    std::ostream &out;
    vesk::VirtualTime &time;
    vesk::SimScreens &screens;
    vesk::SimSound &sound;
    // Reports an expectation that did not hold (the script goes on and fails at its end).
    std::function<void(const std::string &message)> fail;
    std::function<bool()> started;
    // Only once started: the primary island and the one `island N` selected.
    std::function<vesk::NotchViewModel &()> primary;
    std::function<vesk::NotchViewModel &()> selected;
    // The selected island's retained view tree, kept up to date by the runner.
    std::function<kit::Tree &()> tree;
    // The folder of the script file, for paths given relative to it.
    std::function<std::string()> folder;
    // Throws the script errors the runner's own verbs throw.
    std::function<void(const std::string &verb)> requireStarted;
    std::function<void(const std::string &verb)> requireNotStarted;
    // The islands' windows in layout order (empty before the start).
    std::function<std::vector<std::shared_ptr<vesk::IslandWindow>>()> islandWindows;
    // The view tree of any island (made as `render` makes it).
    std::function<kit::Tree &(vesk::NotchViewModel &)> treeOf;
    // The settings window's host, once started.
    std::function<vesk::SettingsHost *()> settingsHost;
    // Filled by the lock module: its controller (null before the start) and whether the islands
    // are hidden for the lock.
    std::function<vesk::LockScreenController *()> lockScreen;
    std::function<bool()> islandsLocked;
};

// A group of island-script verbs and `expect` fields that belongs to one subsystem. The runner asks
// each module in turn for a verb before its own; fields of modules are read after the main queue
// has run what is due.
class ScriptModule {
public:
    virtual ~ScriptModule() = default;

    // Runs `verb` (the rest of the command line from `pos`) when it is one of this module's.
    virtual bool execute(const std::string &verb, const std::string &line, size_t &pos) = 0;
    // At `start`, after the islands and every service of the run exist.
    virtual void start() {}
    // Before the islands go, at the end of the run.
    virtual void stop() {}
    // The module's fields for `expect` and `debug`.
    virtual void addFields(std::map<std::string, std::string> & /*fields*/) const {}
};

// Every module of the tool, in the order they are asked for verbs.
std::vector<std::unique_ptr<ScriptModule>> makeScriptModules(ScriptWorld &world);
