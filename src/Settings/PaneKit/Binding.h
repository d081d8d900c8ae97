#pragma once

#include "Platform/UserDefaults.h"

#include <QString>

#include <string>
#include <type_traits>

namespace vesk {

// One setting as a control sees it: read through the settings store (so a key nobody wrote reads
// its registered default, and a value of the wrong type reads as that default too) and written at
// once. Writing posts the store's `changed` synchronously; controls re-read from it. A control
// binds to a setting's constant (`settings::showShadow`); text controls bind string settings.
template <typename T>
struct Binding {
    using Stored = std::conditional_t<std::is_same_v<T, QString>, std::string, T>;

    Binding(const Setting<Stored> &setting) : setting(setting) {}

    Setting<Stored> setting;

    T get() const
    {
        if constexpr (std::is_same_v<T, QString>)
            return QString::fromStdString(UserDefaults::standard().value(setting));
        else
            return UserDefaults::standard().value(setting);
    }
    void set(const T &value) const
    {
        if constexpr (std::is_same_v<T, QString>)
            UserDefaults::standard().set(setting, value.toStdString());
        else
            UserDefaults::standard().set(setting, value);
    }
};

}  // namespace vesk
