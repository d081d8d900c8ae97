#include "ScriptModule.h"

// One line per module: a subsystem's verbs join the tool here.
std::vector<std::unique_ptr<ScriptModule>> makeScriptModules(ScriptWorld &world)
{
    std::vector<std::unique_ptr<ScriptModule>> modules;
    (void)world;
    return modules;
}
