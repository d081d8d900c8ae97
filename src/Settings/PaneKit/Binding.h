#pragma once

#include "Platform/UserDefaults.h"

#include <QString>

#include <string>

namespace vesk {

// One setting as a control sees it: read through the settings store (so a key nobody wrote reads
// its registered default, and a value of the wrong type reads as that default too) and written at
// once. Writing posts the store's `changed` synchronously; controls re-read from it.
template <typename T>
struct Binding {
    std::string key;

    T get() const;
    void set(const T &value) const;
};

template <>
inline bool Binding<bool>::get() const { return UserDefaults::standard().boolValue(key); }
template <>
inline void Binding<bool>::set(const bool &value) const { UserDefaults::standard().set(key, value); }
template <>
inline double Binding<double>::get() const { return UserDefaults::standard().doubleValue(key); }
template <>
inline void Binding<double>::set(const double &value) const { UserDefaults::standard().set(key, value); }
template <>
inline QString Binding<QString>::get() const { return QString::fromStdString(UserDefaults::standard().stringValue(key)); }
template <>
inline void Binding<QString>::set(const QString &value) const { UserDefaults::standard().set(key, value.toStdString()); }

}  // namespace vesk
