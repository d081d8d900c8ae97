#pragma once

#include "Base/Observed.h"
#include "Platform/UserDefaults.h"

namespace vesk {

// Counts settings changes. A view reads a setting that the island model does not cache with
// viewSetting(), which reads the count too, so a change of any setting describes the view again.
const Observed<int> &settingsGeneration();

template <typename T>
T viewSetting(const Setting<T> &setting)
{
    settingsGeneration().get();
    return UserDefaults::standard().value(setting);
}

}  // namespace vesk
