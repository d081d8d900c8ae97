#pragma once

#include "Platform/sim/SimPowerSupply.h"
#include "Platform/sim/SimSystemStats.h"

#include <nlohmann/json.hpp>

#include <map>
#include <string>

// The script's extension verbs (enable, disable, stats) and their fields, over the registry and a
// simulated System Stats source installed for the run.
class ScriptExtensions {
public:
    // `power` is the simulated supply the battery readout reads: System Stats reads the same.
    explicit ScriptExtensions(vesk::SimPowerSupply &power);
    ~ScriptExtensions();

    // Runs one of the verbs above; false for any other verb. Throws ScriptError for bad arguments.
    // The caller runs the queue's due items afterwards.
    bool execute(const std::string &verb, const std::string &line, size_t &pos);
    // extensions, enabled, activity and the stats.* fields.
    void addFields(std::map<std::string, std::string> &fields) const;

private:
    void setStats(const nlohmann::json &object);
    vesk::SimPowerSupply &power_;
    vesk::SimSystemStats stats_;
};
