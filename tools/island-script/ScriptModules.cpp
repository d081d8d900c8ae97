#include "ScriptModule.h"

#include "ScriptClaude.h"
#include "ScriptDiagnostics.h"
#include "ScriptLock.h"
#include "ScriptMedia.h"
#include "ScriptTour.h"
#include "ScriptUpdate.h"
#include "ScriptTourDemo.h"

// One line per module: a subsystem's verbs join the tool here.
std::vector<std::unique_ptr<ScriptModule>> makeScriptModules(ScriptWorld &world)
{
    std::vector<std::unique_ptr<ScriptModule>> modules;
    modules.push_back(std::make_unique<ScriptLock>(world));
    modules.push_back(std::make_unique<ScriptDiagnostics>(world));
    modules.push_back(std::make_unique<ScriptUpdate>(world));
    modules.push_back(std::make_unique<ScriptClaude>(world));
    modules.push_back(std::make_unique<ScriptMedia>(world));
    modules.push_back(std::make_unique<ScriptTourDemo>(world));  // before the tour: its gesture rows
    modules.push_back(std::make_unique<ScriptTour>(world));
    return modules;
}
