#pragma once

#include "ScriptModule.h"

#include "Base/MainQueue.h"
#include "Updater/SimUpdater.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

// The updater in scripts: made at `start` (after `env`, before the islands) on a simulated bundle,
// server and install environment, with background work run inline. Install acts on a fake bundle
// in the run's temporary home; the swap is recorded, not run.
class ScriptUpdate : public ScriptModule {
public:
    explicit ScriptUpdate(ScriptWorld &world);
    ~ScriptUpdate() override;

    // `bundle` before start; `serve` and `update ...` (but `update phase`, the settings' own) after
    // it. At `start` it makes the updater, before the islands that read it, and lets the runner go
    // on. Throws ScriptError for bad arguments.
    bool execute(const std::string &verb, const std::string &line, size_t &pos) override;
    // phase, version, progress, message, postponed, installsIn, whatsNew, notes, image,
    // wantsIsland, gets, quit.
    void addFields(std::map<std::string, std::string> &fields) const override;

private:
    void makeUpdater();
    void bundleVerb(const std::string &line, size_t &pos);
    void serveVerb(const std::string &line, size_t &pos);
    void updateVerb(const std::string &line, size_t &pos);

    ScriptWorld &world_;
    vesk::SimUpdaterWorld sim_;
    std::unique_ptr<vesk::Updater> updater_;
    std::string bundleVersion_ = "1.0";
    std::string bundleBuild_ = "0";
    bool hasVersion_ = true, hasBuild_ = true;
    long long manifestBuild_ = 0;  // the build of the last manifest served
    bool quit_ = false;
    vesk::WorkItem quitItem_;
};
