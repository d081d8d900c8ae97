#pragma once

#include "Extensions/ExtensionActivity.h"
#include "Extensions/ExtensionInfo.h"
#include "Extensions/IslandExtension.h"
#include "Base/Observed.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

// The registry of extensions: the fixed catalogue of extension types, the running instances and
// the user's enabled list (the "enabledExtensions" setting, outside the settings table, so a reset
// keeps it). It reaches the island only through its two callbacks. Main thread only.
class ExtensionStore {
public:
    struct Type {
        ExtensionInfo info;
        std::function<std::shared_ptr<IslandExtension>()> make;
        // An instance's page in the open island and its options under its switch in the
        // Extensions pane (IslandExtension's page() and makeSettingsView() call them). They are
        // views, which live above this layer: installStandardViews() fills them with setViews().
        // Until then the page is empty and there are no options.
        std::function<kit::Element(const IslandExtension &)> page;
        std::function<std::unique_ptr<QWidget>(IslandExtension &)> settings;
    };
    using Running = std::map<std::string, std::shared_ptr<IslandExtension>>;

    static constexpr const char *enabledKey = "enabledExtensions";

    static ExtensionStore &shared();

    ExtensionStore() = default;
    ExtensionStore(const ExtensionStore &) = delete;
    ExtensionStore &operator=(const ExtensionStore &) = delete;

    // The extension types in their one order: of the pages, of pageIDs(), of infos() and of the
    // Extensions pane's sections.
    static const std::vector<Type> &catalog();
    // Tools and tests: the catalogue becomes `types` until it is set again (none: the built-in one).
    static void setCatalog(std::optional<std::vector<Type>> types);
    // The catalogue type with that id, if any.
    static const Type *type(const std::string &id);
    // Gives the built-in type of T (made by T, which shares itself with enable_shared_from_this)
    // how to make its page and its options, each from the instance; empty makers make nothing.
    template <typename T>
    static void setViews(std::function<kit::Element(std::shared_ptr<T>)> page,
                         std::function<std::unique_ptr<QWidget>(std::shared_ptr<T>)> settings);
    // A new instance of the catalogue type with that id. Only catalogue ids are ever passed: any
    // other is a programming error that ends the process ("Unknown extension <id>").
    static std::shared_ptr<IslandExtension> make(const std::string &id);

    // Called whenever the combined activity may have changed (not observed).
    std::function<void()> onActivityChange;
    // Called for a timed heads-up: show this activity for that many seconds.
    std::function<void(const ExtensionActivity &, double seconds)> onAlert;

    // At launch: starts, in catalogue order, every catalogue type listed in the enabled list.
    // Writes nothing and calls nothing back (the owner refreshes itself).
    void startEnabled();
    // The Extensions pane's switch. Unknown ids change nothing; otherwise starts or stops the
    // extension, rewrites the enabled list (sorted) and calls onActivityChange at once.
    void setEnabled(const std::string &id, bool on);
    // Every catalogue type's description, running or not.
    std::vector<ExtensionInfo> infos() const;

    // From extensions: their activity may have changed / a heads-up. Both queue the callback on
    // the main queue and return at once; the callback is read when the queued call runs.
    void activityChanged();
    void alert(const ExtensionActivity &activity, double seconds);

    // For simulated extensions of tests and tools: runs one (stopping a running one with the same
    // id first) or stops one, calling start()/stop() and onActivityChange at once.
    void run(std::shared_ptr<IslandExtension> extension);
    void stop(const std::string &id);
    void stopAll();

    // Identifiers of the running extensions: catalogue order, then the others in the order started.
    std::vector<std::string> pageIDs() const;
    // The first present activity of the running extensions, in pageIDs() order.
    std::optional<ExtensionActivity> activity() const;
    const Observed<Running> &running() const { return running_; }
    // The running instance with that id, if any.
    std::shared_ptr<IslandExtension> instance(const std::string &id) const;

private:
    static Type &builtInType(const std::string &id);
    void callActivityChange();
    void insert(const std::string &id, std::shared_ptr<IslandExtension> extension);
    void remove(const std::string &id);

    Observed<Running> running_;
    std::vector<std::string> startOrder_;
};

template <typename T>
void ExtensionStore::setViews(std::function<kit::Element(std::shared_ptr<T>)> page,
                              std::function<std::unique_ptr<QWidget>(std::shared_ptr<T>)> settings)
{
    Type &type = builtInType(T::typeInfo().id);
    type.page = nullptr;
    type.settings = nullptr;
    if (page) {
        type.page = [page = std::move(page)](const IslandExtension &extension) {
            return page(std::const_pointer_cast<T>(static_cast<const T &>(extension).shared_from_this()));
        };
    }
    if (settings) {
        type.settings = [settings = std::move(settings)](IslandExtension &extension) {
            return settings(static_cast<T &>(extension).shared_from_this());
        };
    }
}

}  // namespace vesk
