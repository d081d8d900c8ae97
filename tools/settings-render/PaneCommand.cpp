#include "PaneCommand.h"

#include "PreviewCommand.h"
#include "ScriptRunner.h"

#include "Platform/JsonText.h"
#include "Settings/SettingsView.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>

extern char **environ;

namespace {

// The world starts from the same place whatever the caller's environment holds.
void clearDebugSwitches()
{
    std::vector<std::string> inherited;
    for (char **entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "VESK_", 5) == 0)
            inherited.emplace_back(*entry, std::strchr(*entry, '=') - *entry);
    for (const auto &name : inherited)
        ::unsetenv(name.c_str());
}

// The script that builds the picture.
std::string scriptFor(const std::vector<std::string> &args)
{
    if (args.empty())
        throw UsageError("usage: settings-render pane PANE [--set KEY=JSON]... [--scale S] --out FILE");
    const auto pane = vesk::SettingsView::matching(QString::fromStdString(args[0]));
    if (!pane)
        throw UsageError("unknown pane \"" + args[0] + "\"");
    std::ostringstream script;
    std::string out;
    double scale = 2;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string &option = args[i];
        if (i + 1 >= args.size())
            throw UsageError(option + " needs a value");
        const std::string &value = args[++i];
        if (option == "--set") {
            const auto eq = value.find('=');
            const std::string key = value.substr(0, eq);
            if (eq == std::string::npos || key.empty() || key.find_first_of(" \t\n") != std::string::npos)
                throw UsageError("--set takes KEY=JSON, not \"" + value + "\"");
            const auto json = vesk::parseUntrustedJson(value.substr(eq + 1));
            if (json.is_discarded())
                throw UsageError("not valid JSON: " + value.substr(eq + 1));
            script << "set " << key << " " << json.dump() << "\n";
        } else if (option == "--scale") {
            char *end = nullptr;
            scale = std::strtod(value.c_str(), &end);
            if (end == value.c_str() || *end || !(scale > 0 && scale <= 8))
                throw UsageError("--scale must be a number in (0, 8]");
        } else if (option == "--out") {
            out = value;
        } else {
            throw UsageError("unknown option " + option);
        }
    }
    if (out.empty())
        throw UsageError("--out FILE is required");
    if (out.find_first_of(" \t\n") != std::string::npos)
        throw UsageError("--out must name a file without blanks");
    script << "env VESK_DEBUG_PANE " << vesk::SettingsView::caseName(*pane).toStdString() << "\n"
           << "start\nsettings open\nadvance 5\nsettings render " << out << " " << scale << "\n";
    return script.str();
}

}  // namespace

int runPane(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    std::string script;
    try {
        script = scriptFor(args);
    } catch (const UsageError &e) {
        err << e.what() << '\n';
        return 2;
    }
    clearDebugSwitches();
    std::istringstream in(script);
    ScriptRunner runner(out, err);
    const int status = runner.run(in, "settings-render");
    return status == 0 ? 0 : status == 2 ? 2 : 1;
}
