#pragma once

#include "Extensions/ExtensionActivity.h"
#include "Extensions/ExtensionInfo.h"
#include "Extensions/IslandExtension.h"
#include "Platform/Observed.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

// The registry of extensions: the catalogue of known types and the ones running. Main thread only.
class ExtensionStore {
public:
    struct Type {
        ExtensionInfo info;
        std::function<std::shared_ptr<IslandExtension>()> make;
    };
    using Running = std::map<std::string, std::shared_ptr<IslandExtension>>;

    static ExtensionStore &shared();

    ExtensionStore() = default;
    ExtensionStore(const ExtensionStore &) = delete;
    ExtensionStore &operator=(const ExtensionStore &) = delete;

    // The known extension types, in tab order.
    static const std::vector<Type> &catalog();

    // Run whenever a running extension's activity changes, and when the set of running ones changes.
    std::function<void()> onActivityChange;
    // Run when an extension wants a heads-up shown for that many seconds.
    std::function<void(const ExtensionActivity &, double seconds)> onAlert;

    // Starts every catalogued extension listed in the "enabledExtensions" setting, in catalogue order.
    void startEnabled();
    // Runs an extension (replacing a running one with the same identifier) or stops one.
    void run(std::shared_ptr<IslandExtension> extension);
    void stop(const std::string &id);
    void stopAll();

    // Identifiers of the running extensions: catalogue order, then the others in the order started.
    std::vector<std::string> pageIDs() const;
    // The first present activity of the running extensions, in pageIDs() order.
    std::optional<ExtensionActivity> activity() const;
    const Observed<Running> &running() const { return running_; }

private:
    void activityChanged();

    Observed<Running> running_;
    std::vector<std::string> startOrder_;
    std::map<std::string, std::vector<Connection>> observers_;
};

}  // namespace vesk
