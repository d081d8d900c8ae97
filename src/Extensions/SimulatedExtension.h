#pragma once

#include "Extensions/ExtensionStore.h"
#include "Extensions/IslandExtension.h"

namespace vesk {

// An extension driven from outside, for tests and developer tools: its activity and alerts are
// whatever its driver sets, reported through the registry like any extension's.
class SimulatedExtension final : public IslandExtension {
public:
    explicit SimulatedExtension(ExtensionInfo info) : info_(std::move(info)) {}
    const ExtensionInfo &info() const override { return info_; }
    // One line: the extension's name, at its natural size.
    kit::Element page() const override { return kit::Text(QString::fromStdString(info_.name)); }
    std::optional<ExtensionActivity> activity() const override { return activity_; }
    void start() override { ++starts; }
    void stop() override { ++stops; }

    void show(std::optional<ExtensionActivity> activity)
    {
        if (activity == activity_)
            return;
        activity_ = std::move(activity);
        ExtensionStore::shared().activityChanged();
    }
    void raiseAlert(const ExtensionActivity &activity, double seconds) { ExtensionStore::shared().alert(activity, seconds); }

    int starts = 0;
    int stops = 0;

private:
    ExtensionInfo info_;
    std::optional<ExtensionActivity> activity_;
};

}  // namespace vesk
