// What the Claude Code fuzzers share: a private home in memory (/dev/shm when there is one) and
// the few members of the registry and of Kit that the extension reaches, defined here so that a
// fuzzer links the extension's own files alone. Include it in one file per fuzzer.
#pragma once

#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/ExtensionStore.h"
#include "Base/Log.h"
#include "Kit/Font.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace vesk {
ExtensionStore &ExtensionStore::shared()
{
    static ExtensionStore store;
    return store;
}
void ExtensionStore::activityChanged() {}
void ExtensionStore::alert(const ExtensionActivity &, double) {}
const ExtensionStore::Type *ExtensionStore::type(const std::string &) { return nullptr; }
}  // namespace vesk

namespace kit {
Element Empty() { std::abort(); }
// Kit's environment defaults make a font at start-up.
Font Font::system(double size, Weight weight)
{
    Font font;
    font.size_ = size;
    font.weight_ = weight;
    return font;
}
}  // namespace kit

namespace fuzz {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A fresh home for each input, made once and emptied between inputs.
inline const std::string &home()
{
    static const std::string path = [] {
        vesk::setLogSink([](std::string_view) {});
        const char *shm = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(shm) + "/vesk-claude-fuzz-XXXXXX";
        check(::mkdtemp(pattern.data()) != nullptr);
        ::setenv("HOME", pattern.c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
        return pattern;
    }();
    return path;
}

inline std::string readWhole(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void clearHome()
{
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator(home(), ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

}  // namespace fuzz
