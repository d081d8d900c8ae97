#pragma once

#include "Extensions/IslandExtension.h"

namespace vesk {

// An extension driven from outside, for tests and developer tools: its activity and alerts are
// whatever its driver sets.
class SimulatedExtension final : public IslandExtension {
public:
    explicit SimulatedExtension(ExtensionInfo info) : info_(std::move(info)) {}
    const ExtensionInfo &info() const override { return info_; }
    // One line: the extension's name, at its natural size.
    kit::Element page() const override { return kit::Text(QString::fromStdString(info_.name)); }

    void show(std::optional<ExtensionActivity> activity) { setActivity(std::move(activity)); }
    void raiseAlert(const ExtensionActivity &activity, double seconds) { alert(activity, seconds); }

private:
    ExtensionInfo info_;
};

}  // namespace vesk
