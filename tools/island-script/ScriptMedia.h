#pragma once

#include "ScriptModule.h"

// The media page's fields: `interacting` (a dragged control holds the island open) and
// `showsVolume` (the volume row is shown), `true` or `false`, of the selected island.
class ScriptMedia final : public ScriptModule {
public:
    explicit ScriptMedia(ScriptWorld &world) : world_(world) {}
    bool execute(const std::string &, const std::string &, size_t &) override { return false; }
    void addFields(std::map<std::string, std::string> &fields) const override;

private:
    ScriptWorld &world_;
};
