#pragma once

// For integration tests whose program runs Qt on the X server rather than offscreen, so that the
// screens service, Qt's windows and screen grabs see the X server's monitors.

#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"

#include <cstdlib>
#include <memory>

namespace vesk::test {

// Chooses the xcb platform before the test main creates the application. Without a display (as
// when ctest lists the tests) Qt stays offscreen and the tests fail at their first check.
inline const bool qtOnX = [] { return std::getenv("DISPLAY") && ::setenv("QT_QPA_PLATFORM", "xcb", 0) == 0; }();

// Fresh settings with the defaults table registered, as the application starts with them; never
// imports an earlier product's settings file.
inline void useFreshDefaults()
{
    UserDefaults::setStandard(std::make_unique<UserDefaults>());
    UserDefaults::standard().set(Defaults::migrationFlagKey, true);
    Defaults::registerTable();
}

}  // namespace vesk::test
