#include "Extensions/ExtensionStore.h"

#include "Platform/UserDefaults.h"

#include <algorithm>

namespace vesk {

ExtensionStore &ExtensionStore::shared()
{
    static ExtensionStore store;
    return store;
}

const std::vector<ExtensionStore::Type> &ExtensionStore::catalog()
{
    // The built-in extensions join this list as they are written.
    static const std::vector<Type> types;
    return types;
}

void ExtensionStore::startEnabled()
{
    auto enabled = UserDefaults::standard().object("enabledExtensions");
    if (!enabled || !enabled->is_array())
        return;
    for (const auto &type : catalog()) {
        bool listed = std::any_of(enabled->begin(), enabled->end(),
                                  [&](const auto &id) { return id.is_string() && id.template get<std::string>() == type.info.id; });
        if (listed && !running_.peek().count(type.info.id))
            run(type.make());
    }
}

void ExtensionStore::run(std::shared_ptr<IslandExtension> extension)
{
    if (!extension)
        return;
    const std::string id = extension->info().id;
    auto &connections = observers_[id];
    connections.clear();
    connections.push_back(extension->activity().observe([this] { activityChanged(); }));
    connections.push_back(extension->alert.connect([this](const ExtensionActivity &activity, double seconds) {
        if (onAlert)
            onAlert(activity, seconds);
    }));
    std::erase(startOrder_, id);
    startOrder_.push_back(id);
    Running next = running_.peek();
    next[id] = std::move(extension);
    running_ = std::move(next);
    activityChanged();
}

void ExtensionStore::stop(const std::string &id)
{
    if (!running_.peek().count(id))
        return;
    observers_.erase(id);
    std::erase(startOrder_, id);
    Running next = running_.peek();
    next.erase(id);
    running_ = std::move(next);
    activityChanged();
}

void ExtensionStore::stopAll()
{
    observers_.clear();
    startOrder_.clear();
    if (running_.peek().empty())
        return;
    running_ = Running{};
    activityChanged();
}

std::vector<std::string> ExtensionStore::pageIDs() const
{
    const auto &running = running_.get();
    std::vector<std::string> ids;
    for (const auto &type : catalog()) {
        if (running.count(type.info.id))
            ids.push_back(type.info.id);
    }
    for (const auto &id : startOrder_) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}

std::optional<ExtensionActivity> ExtensionStore::activity() const
{
    const auto &running = running_.get();
    for (const auto &id : pageIDs()) {
        if (const auto &activity = running.at(id)->activity().get())
            return activity;
    }
    return std::nullopt;
}

void ExtensionStore::activityChanged()
{
    if (onActivityChange)
        onActivityChange();
}

}  // namespace vesk
