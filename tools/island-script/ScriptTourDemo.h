#pragma once

#include "ScriptModule.h"

// The gestures page of the tour: `click row "CAPTION"` and `expect row "CAPTION" current|other` on
// its gesture rows (other rows are left to the tour's own verbs), and the fields `demo.gesture`,
// `demo.pointer`, `demo.pressed`, `demo.swollen`, `demo.open`, `demo.page`, `demo.pull`,
// `demo.flipped` and `demo.menu`: the target values of the demonstration's retained state, or
// `none` while no demonstration exists.
class ScriptTourDemo final : public ScriptModule {
public:
    explicit ScriptTourDemo(ScriptWorld &world) : world_(world) {}

    bool execute(const std::string &verb, const std::string &line, size_t &pos) override;
    void addFields(std::map<std::string, std::string> &fields) const override;

private:
    ScriptWorld &world_;
};
