#include "Extensions/ExtensionStore.h"

#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/SystemStatsExtension.h"
#include "Base/Log.h"
#include "Base/MainQueue.h"
#include "Platform/UserDefaults.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace vesk {

namespace {

template <typename T>
ExtensionStore::Type typeOf()
{
    return {T::typeInfo(), [] { return std::make_shared<T>(); }};
}

}  // namespace

ExtensionStore &ExtensionStore::shared()
{
    static ExtensionStore store;
    return store;
}

namespace {
std::optional<std::vector<ExtensionStore::Type>> &replacedCatalog()
{
    static std::optional<std::vector<ExtensionStore::Type>> types;
    return types;
}

std::vector<ExtensionStore::Type> &builtInCatalog()
{
    static std::vector<ExtensionStore::Type> types = {typeOf<ClaudeCodeExtension>(), typeOf<SystemStatsExtension>()};
    return types;
}
}  // namespace

const std::vector<ExtensionStore::Type> &ExtensionStore::catalog()
{
    const auto &replaced = replacedCatalog();
    return replaced ? *replaced : builtInCatalog();
}

void ExtensionStore::setCatalog(std::optional<std::vector<Type>> types) { replacedCatalog() = std::move(types); }

const ExtensionStore::Type *ExtensionStore::type(const std::string &id)
{
    for (const auto &type : catalog())
        if (type.info.id == id)
            return &type;
    return nullptr;
}

ExtensionStore::Type &ExtensionStore::builtInType(const std::string &id)
{
    for (auto &type : builtInCatalog())
        if (type.info.id == id)
            return type;
    std::fprintf(stderr, "Unknown extension %s\n", id.c_str());
    std::abort();
}

std::shared_ptr<IslandExtension> ExtensionStore::make(const std::string &id)
{
    if (const Type *found = type(id))
        return found->make();
    std::fprintf(stderr, "Unknown extension %s\n", id.c_str());
    std::abort();
}

void ExtensionStore::startEnabled()
{
    const auto stored = UserDefaults::standard().object(enabledKey);
    std::set<std::string> enabled;
    if (stored && stored->is_array()) {
        const bool allStrings = std::all_of(stored->begin(), stored->end(), [](const auto &v) { return v.is_string(); });
        if (allStrings)
            for (const auto &v : *stored)
                enabled.insert(v.template get<std::string>());
    }
    for (const auto &type : catalog()) {
        if (enabled.count(type.info.id))
            insert(type.info.id, type.make());
    }
}

void ExtensionStore::setEnabled(const std::string &id, bool on)
{
    const Type *type = ExtensionStore::type(id);
    if (!type)
        return;
    const bool isRunning = running_.peek().count(id) > 0;
    if (on && !isRunning)
        insert(id, type->make());
    else if (!on && isRunning)
        remove(id);
    nlohmann::json ids = nlohmann::json::array();
    for (const auto &[key, extension] : running_.peek())  // a std::map: ascending order
        ids.push_back(key);
    UserDefaults::standard().set(enabledKey, ids);
    callActivityChange();
}

std::vector<ExtensionInfo> ExtensionStore::infos() const
{
    std::vector<ExtensionInfo> all;
    for (const auto &type : catalog())
        all.push_back(type.info);
    return all;
}

void ExtensionStore::activityChanged()
{
    mainQueue().post([this] { callActivityChange(); });
}

void ExtensionStore::alert(const ExtensionActivity &activity, double seconds)
{
    mainQueue().post([this, activity, seconds] {
        if (onAlert)
            onAlert(activity, seconds);
    });
}

void ExtensionStore::run(std::shared_ptr<IslandExtension> extension)
{
    if (!extension)
        return;
    const std::string id = extension->info().id;
    insert(id, std::move(extension));
    callActivityChange();
}

void ExtensionStore::stop(const std::string &id)
{
    if (!running_.peek().count(id))
        return;
    remove(id);
    callActivityChange();
}

void ExtensionStore::stopAll()
{
    if (running_.peek().empty())
        return;
    for (const auto &id : pageIDs())
        running_.peek().at(id)->stop();
    startOrder_.clear();
    running_ = Running{};
    callActivityChange();
}

void ExtensionStore::insert(const std::string &id, std::shared_ptr<IslandExtension> extension)
{
    // An instance it replaces is stopped first, so nothing of it keeps working unseen.
    if (auto old = instance(id))
        old->stop();
    std::erase(startOrder_, id);
    startOrder_.push_back(id);
    Running next = running_.peek();
    next[id] = extension;
    running_ = std::move(next);
    extension->start();
}

void ExtensionStore::remove(const std::string &id)
{
    // Stopped before it leaves, so it can still reach what it set up.
    running_.peek().at(id)->stop();
    std::erase(startOrder_, id);
    Running next = running_.peek();
    next.erase(id);
    running_ = std::move(next);
}

std::shared_ptr<IslandExtension> ExtensionStore::instance(const std::string &id) const
{
    const auto &running = running_.peek();
    const auto it = running.find(id);
    return it == running.end() ? nullptr : it->second;
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
        if (auto activity = running.at(id)->activity())
            return activity;
    }
    return std::nullopt;
}

void ExtensionStore::callActivityChange()
{
    if (onActivityChange)
        onActivityChange();
}

}  // namespace vesk
