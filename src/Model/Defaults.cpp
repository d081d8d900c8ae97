#include "Model/Defaults.h"

namespace vesk {

const UserDefaults::Dictionary &Defaults::values()
{
    // Function-local static: built once, thread-safe, shared read-only.
    static const UserDefaults::Dictionary table = [] {
        using nlohmann::json;
        return UserDefaults::Dictionary{
            {"showMenuBarIcon", true},
            {"hapticFeedback", true},
            {"hapticOnHover", true},
            {"hapticOnPageTurn", true},
            {"openOnHover", false},
            {"hoverSwell", true},
            {"scrollToOpen", true},
            {"closeDelay", 0.0},
            {"showShadow", true},
            {"fadeToGlass", true},
            {"notchShimmer", true},
            {"externalDisplayStyle", "hidden"},
            {"notchDisplayPill", false},
            {"notchWidthAdjustment", 0.0},
            {"notchHeightAdjustment", 0.0},
            {"shrinkOnSpaceSwitch", true},
            {"compactInFullscreen", false},
            {"showLiveActivity", true},
            {"hideInSourceApp", false},
            {"swipeToSkip", true},
            {"showLiveArtwork", true},
            {"islandFrost", 0.0},
            {"automaticUpdates", true},
            {"installUpdatesAutomatically", true},
            {"showVisualizer", true},
            {"tintVisualizer", true},
            {"showTrackPreview", true},
            {"trackPreviewDuration", 3.0},
            {"scrollLongTitles", true},
            {"dimArtworkWhenPaused", true},
            {"showOutputButton", true},
            {"buttonHoverStyle", "roundedSquare"},
            {"bounceSymbols", true},
            {"playerExtraButton", "shuffle"},
            {"audioSource", "automatic"},
            {"showCalendar", true},
            {"showEvents", true},
            {"showEventDots", true},
            {"dimWeekends", true},
            {"showVolumeHUD", true},
            {"showBrightnessHUD", true},
            {"showChargingPeek", true},
            {"showLowBatteryPeek", true},
            {"replaceSystemHUD", false},
            {"hudDuration", 1.6},
            {"showTimerPage", true},
            {"showPageDots", true},
            {"showTimerActivity", true},
            {"showEventActivity", true},
            {"eventLeadMinutes", 10.0},
            {"showDeviceActivity", true},
            {"showFocusActivity", false},
            {"showDownloadActivity", true},
            {"showCapsLockActivity", true},
            {"showInputSourceActivity", true},
            {"lockSounds", true},
            {"lockSoundPath", ""},
            {"unlockSoundPath", ""},
            {"lockScreenPreview", true},
            {"lockShowIndicator", true},
            {"lockShowAppIcon", true},
            {"lockScreenPosition", 0.225},
            {"lockGlassStrength", 1.0},
        };
    }();
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
    for (const char *key : {"showEventActivity", "showChargingPeek", "showLowBatteryPeek", "showDownloadActivity",
                            "showCapsLockActivity", "showInputSourceActivity", "showFocusActivity", "lockSounds",
                            "showEvents", "showEventDots"})
        factory[key] = false;
    factory["trackPreviewDuration"] = 2.6;
    factory["fadeToGlass"] = false;
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
