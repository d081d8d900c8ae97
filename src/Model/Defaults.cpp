#include "Model/Defaults.h"

namespace vesk {

const UserDefaults::Dictionary &Defaults::values()
{
    // Function-local static: built once, thread-safe, shared read-only.
    static const UserDefaults::Dictionary table{
#define VESK_SETTING_ENTRY(type, name, fallback) {settings::name.key, nlohmann::json(settings::name.defaultValue())},
        VESK_SETTINGS_TABLE(VESK_SETTING_ENTRY)
#undef VESK_SETTING_ENTRY
    };
    return table;
}

std::string Defaults::earlierDomainPath() { return UserDefaults::configFolder(earlierDomainID) + "/settings.json"; }

void Defaults::registerTable(UserDefaults &store, const QProcessEnvironment &environment)
{
    migrateFromTovra(store);
    store.registerDefaults(values());
    if (environment.isEmpty() || !environment.contains(QStringLiteral("VESK_DEBUG_FACTORY")))
        return;
    auto factory = values();
    using namespace settings;
    for (const Setting<bool> *setting :
         {&showEventActivity, &showChargingPeek, &showLowBatteryPeek, &showDownloadActivity, &showCapsLockActivity,
          &showInputSourceActivity, &showFocusActivity, &lockSounds, &showEvents, &showEventDots})
        factory[setting->key] = false;
    factory[trackPreviewDuration.key] = 2.6;
    factory[fadeToGlass.key] = false;
    store.setVolatileOverlay(std::move(factory));
}

void Defaults::migrateFromTovra(UserDefaults &store)
{
    if (auto flag = store.object(migrationFlagKey); flag && flag->is_boolean() && flag->get<bool>())
        return;
    // The flag and every copied key go to the file in one write: a start interrupted before it
    // finishes leaves neither, and the next start copies again.
    UserDefaults::Dictionary copied{{migrationFlagKey, true}};
    if (auto earlier = UserDefaults::readDomainFile(earlierDomainPath())) {
        for (auto &[key, value] : *earlier) {
            if (key.rfind("NS", 0) == 0)
                continue;  // the system's own entries, such as window frames
            if (store.object(key))
                continue;  // an existing setting is never overwritten
            copied.emplace(key, std::move(value));
        }
    }
    store.set(copied);
}

void Defaults::reset(UserDefaults &store)
{
    std::vector<std::string> keys;
    keys.reserve(values().size());
    for (const auto &entry : values())
        keys.push_back(entry.first);
    store.remove(keys);
}

}  // namespace vesk
