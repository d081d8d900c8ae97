#pragma once

#include "ScriptModule.h"

#include <memory>

namespace vesk {
class SettingsHost;
}

// The tour's verbs: `tour launch` (the application's own start of the tour), `click row "TITLE"`
// and `expect row "TITLE" VALUE` on the rows of the visible tour page, and `access calendar
// undetermined` (not determined, and a request finds nothing).
class ScriptTour final : public ScriptModule {
public:
    explicit ScriptTour(ScriptWorld &world);
    ~ScriptTour() override;

    bool execute(const std::string &verb, const std::string &line, size_t &pos) override;
    void start() override;
    void stop() override;

private:
    ScriptWorld &world_;
    std::unique_ptr<vesk::SettingsHost> host_;
};
