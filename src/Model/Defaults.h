#pragma once

#include "Platform/UserDefaults.h"

#include <QProcessEnvironment>

#include <string>

// The table of application-wide settings: every key read with a built-in default, written once
// here as X(type, key, default). Both the constants in `vesk::settings` and the registered
// defaults are made from it. Keys outside the table (hasSeenOnboarding, enabledExtensions,
// settingsLastPane, an extension's options, ...) are declared by their owner, have no registered
// default and survive a reset.
#define VESK_SETTINGS_TABLE(X) \
    X(bool, showMenuBarIcon, true) \
    X(bool, hapticFeedback, true) \
    X(bool, hapticOnHover, true) \
    X(bool, hapticOnPageTurn, true) \
    X(bool, openOnHover, false) \
    X(bool, hoverSwell, true) \
    X(bool, scrollToOpen, true) \
    X(double, closeDelay, 0.0) \
    X(bool, showShadow, true) \
    X(bool, fadeToGlass, true) \
    X(bool, notchShimmer, true) \
    X(std::string, externalDisplayStyle, "hidden") \
    X(bool, notchDisplayPill, false) \
    X(double, notchWidthAdjustment, 0.0) \
    X(double, notchHeightAdjustment, 0.0) \
    X(bool, shrinkOnSpaceSwitch, true) \
    X(bool, compactInFullscreen, false) \
    X(bool, showLiveActivity, true) \
    X(bool, hideInSourceApp, false) \
    X(bool, swipeToSkip, true) \
    X(bool, showLiveArtwork, true) \
    X(double, islandFrost, 0.0) \
    X(bool, automaticUpdates, true) \
    X(bool, installUpdatesAutomatically, true) \
    X(bool, showVisualizer, true) \
    X(bool, tintVisualizer, true) \
    X(bool, showTrackPreview, true) \
    X(double, trackPreviewDuration, 3.0) \
    X(bool, scrollLongTitles, true) \
    X(bool, dimArtworkWhenPaused, true) \
    X(bool, showOutputButton, true) \
    X(std::string, buttonHoverStyle, "roundedSquare") \
    X(bool, bounceSymbols, true) \
    X(std::string, playerExtraButton, "shuffle") \
    X(std::string, audioSource, "automatic") \
    X(bool, showCalendar, true) \
    X(bool, showEvents, true) \
    X(bool, showEventDots, true) \
    X(bool, dimWeekends, true) \
    X(bool, showVolumeHUD, true) \
    X(bool, showBrightnessHUD, true) \
    X(bool, showChargingPeek, true) \
    X(bool, showLowBatteryPeek, true) \
    X(bool, replaceSystemHUD, false) \
    X(double, hudDuration, 1.6) \
    X(bool, showTimerPage, true) \
    X(bool, showPageDots, true) \
    X(bool, showTimerActivity, true) \
    X(bool, showEventActivity, true) \
    X(double, eventLeadMinutes, 10.0) \
    X(bool, showDeviceActivity, true) \
    X(bool, showFocusActivity, false) \
    X(bool, showDownloadActivity, true) \
    X(bool, showCapsLockActivity, true) \
    X(bool, showInputSourceActivity, true) \
    X(bool, lockSounds, true) \
    X(std::string, lockSoundPath, "") \
    X(std::string, unlockSoundPath, "") \
    X(bool, lockScreenPreview, true) \
    X(bool, lockShowIndicator, true) \
    X(bool, lockShowAppIcon, true) \
    X(double, lockScreenPosition, 0.225) \
    X(double, lockGlassStrength, 1.0)

namespace vesk {

// One constant per key of the table: `UserDefaults::standard().value(settings::hudDuration)`.
namespace settings {
#define VESK_SETTING_CONSTANT(type, name, fallback) inline constexpr Setting<type> name{#name, fallback};
VESK_SETTINGS_TABLE(VESK_SETTING_CONSTANT)
#undef VESK_SETTING_CONSTANT
}  // namespace settings

class Defaults {
public:
    Defaults() = delete;

    // The 63 keys with their defaults; built once, never changed.
    static const UserDefaults::Dictionary &values();

    // Start-up's first step: copies the earlier product's settings once, registers the table, and
    // installs the factory overlay when VESK_DEBUG_FACTORY is present in `environment` (any value,
    // the empty string included). Every island model calls it again; a repeat changes nothing and
    // posts nothing.
    static void registerTable(UserDefaults &store = UserDefaults::standard(),
                              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    // Removes every key of the table from the store; one change notification.
    static void reset(UserDefaults &store = UserDefaults::standard());

    // The earlier product's settings file, read once on the first launch.
    static std::string earlierDomainPath();
    static constexpr const char *earlierDomainID = "tovra";
    static constexpr const char *migrationFlagKey = "migratedFromTovra";

private:
    static void migrateFromTovra(UserDefaults &store);
};

}  // namespace vesk
