// Fuzzes connecting while another program saves ~/.claude/settings.json at the worst moments: the
// first byte says before which of the first eight writes of settings.json that program saves (bit
// i: before write i), the rest is the file's first content. Each save adds the key "foreign" with
// the save's number to what the file holds then (or, when that is no JSON object, replaces it with
// a new object). Checks: no save is lost, so the file ends holding the last save's number; when
// connect succeeded our entries are in place too, and when it refused, the file is that save as
// the program wrote it.
#include "ClaudeCodeFuzzSupport.h"

#include "Platform/AtomicFile.h"
#include "Platform/JsonText.h"

#include <cstdint>
#include <fstream>
#include <string>

using nlohmann::json;
using vesk::ClaudeCodeExtension;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    fuzz::home();
    fuzz::clearHome();
    const std::string settings = ClaudeCodeExtension::settingsPath();
    std::filesystem::create_directories(fuzz::home() + "/.claude");
    {
        std::ofstream out(settings, std::ios::binary);
        out.write(reinterpret_cast<const char *>(data + 1), std::streamsize(size - 1));
    }
    const uint8_t when = data[0];
    int writes = 0, lastSave = 0;
    std::string lastSaved;
    vesk::setAtomicWriteHookForTesting([&](const std::string &target) {
        if (target != settings)
            return;
        const int write = writes++;
        if (write >= 8 || !(when & (1u << write)))
            return;
        json now = vesk::parseUntrustedJson(fuzz::readWhole(settings));
        if (!now.is_object())
            now = json::object();
        now["foreign"] = lastSave = write + 1;
        lastSaved = now.dump();
        std::ofstream(settings, std::ios::binary | std::ios::trunc) << lastSaved;
    });
    ClaudeCodeExtension claude;
    bool connected = true;
    try {
        claude.connect();
    } catch (const ClaudeCodeExtension::ConnectError &) {
        connected = false;
    }
    vesk::setAtomicWriteHookForTesting(nullptr);
    const std::string bytes = fuzz::readWhole(settings);
    if (lastSave == 0)
        return 0;
    const json after = vesk::parseUntrustedJson(bytes);
    fuzz::check(after.is_object() && after.contains("foreign") && after["foreign"] == lastSave);
    if (connected)
        fuzz::check(ClaudeCodeExtension::isInstalled());
    else
        fuzz::check(bytes == lastSaved);
    return 0;
}
