#pragma once

#include "ScriptModule.h"

#include <optional>
#include <string>

// The script's Claude Code verbs: `claude write|append FILE TEXT`, `claude remove FILE` and
// `claude event NAME JSON` on the extension's files under the run's home (also before `start`), and
// `claude connect|disconnect` on the running extension; the claude.* fields.
class ScriptClaude final : public ScriptModule {
public:
    explicit ScriptClaude(ScriptWorld &world);

    bool execute(const std::string &verb, const std::string &line, size_t &pos) override;
    void addFields(std::map<std::string, std::string> &fields) const override;

private:
    ScriptWorld &world_;
    // The run's wall-clock start, which claude.updated counts from.
    double wallStart_;
    // The description of the last connect or disconnect that failed, until one succeeds.
    std::optional<std::string> error_;
};
