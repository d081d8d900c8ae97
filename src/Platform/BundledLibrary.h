#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string>

namespace vesk {

// The absolute path of a library that ships with Vesk (the companion, the network module), or none
// when it is missing: it stands beside the program in the build tree and in <prefix>/lib/vesk once
// installed.
std::optional<std::string> bundledLibraryPath(const QString &fileName);

// Vesk's network access, Qt's network module with the ten libraries it brings, lives in a library
// of its own, VeskNetwork.so, that nothing on screen needs at start: it is opened on the first
// request, and stays. The function it exports under `name`, or null when the library or the
// function is missing (then nothing is fetched).
void *networkModuleFunction(const char *name);

// What the network module's function `entry` (taking nothing, returning a new T) makes, or null
// when it is missing.
template <typename T>
std::unique_ptr<T> makeFromNetworkModule(const char *entry)
{
    auto *make = reinterpret_cast<T *(*)()>(networkModuleFunction(entry));
    return make ? std::unique_ptr<T>(make()) : nullptr;
}

}  // namespace vesk
