#pragma once

#include "Platform/UserDefaults.h"

#include <QProcessEnvironment>

#include <string>

namespace vesk {

// The table of application-wide settings: every key read with a built-in default, its type and
// that default. Keys outside the table (hasSeenOnboarding, enabledExtensions, settingsLastPane, ...)
// have no registered default and survive a reset.
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
