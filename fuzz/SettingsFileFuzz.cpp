// Fuzzes the settings file readers: Vesk's own store opening its file and the reader of the earlier
// product's file. The bytes are written to a file in a private folder on every run. Besides crashes,
// undefined behaviour and stack exhaustion it checks what the readers promise: both agree, a file
// that is not a JSON object is moved aside and the store starts empty, a file that is one is taken
// whole, and what the store would write back reads as the same dictionary.
#include "Platform/JsonText.h"
#include "Base/Log.h"
#include "Platform/UserDefaults.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <dirent.h>
#include <unistd.h>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

const std::string &folder()
{
    static const std::string path = [] {
        vesk::setLogSink([](std::string_view) {});
        const char *shm = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(shm) + "/vesk-settings-fuzz-XXXXXX";
        check(::mkdtemp(pattern.data()) != nullptr);
        return pattern;
    }();
    return path;
}

// Removes every file in the folder but `keep`, and says how many there were.
int clearFolder(const std::string &keep = {})
{
    int count = 0;
    DIR *dir = ::opendir(folder().c_str());
    check(dir != nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        ++count;
        if (name != keep)
            ::unlink((folder() + "/" + name).c_str());
    }
    ::closedir(dir);
    return count;
}

std::string readWhole(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = folder() + "/settings.json";
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        check(bool(out));
    }

    const auto earlier = vesk::UserDefaults::readDomainFile(path);
    const auto store = vesk::UserDefaults::openFile(path);
    check(store && store->writesToDisk());
    if (earlier) {
        check(store->persistentDomain() == *earlier);
        check(readWhole(path) == bytes);  // a good file is never rewritten on open
        check(clearFolder("settings.json") == 1);
        // What the store writes reads back as what it holds.
        const std::string written = vesk::formatSettingsFile(*earlier);
        check(vesk::jsonNestingDepth(written) <= vesk::kJsonDepthLimit);
        const auto again = vesk::parseUntrustedJson(written);
        check(again.is_object() && again.get<vesk::UserDefaults::Dictionary>() == *earlier);
    } else {
        // Not a JSON object, or nested too deeply: moved aside whole, the store empty.
        check(store->persistentDomain().empty());
        check(::access(path.c_str(), F_OK) != 0);
        check(clearFolder() == 1);
    }
    return 0;
}
