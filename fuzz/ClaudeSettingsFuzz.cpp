// Fuzzes connecting and disconnecting over arbitrary bytes in ~/.claude/settings.json. Checks: a
// file that connect refuses is left byte for byte; after a connect the installation is in place,
// and connecting again changes nothing; disconnecting then keeps every key and every hook entry that
// is not this program's, restores an object status line of the user's, and a second disconnect
// changes nothing either.
#include "ClaudeCodeFuzzSupport.h"

#include "Platform/JsonText.h"

#include <cstdint>
#include <fstream>
#include <string>

using nlohmann::json;
using vesk::ClaudeCodeExtension;

namespace {

// The entries of each event's list that are not ours, for lists that hold any.
json foreignEntries(const json &settings)
{
    json result = json::object();
    const auto hooks = settings.find("hooks");
    if (hooks == settings.end() || !hooks->is_object())
        return result;
    for (const auto &[event, list] : hooks->items()) {
        if (!list.is_array()) {
            result[event] = list;
            continue;
        }
        json kept = json::array();
        for (const auto &entry : list)
            if (!ClaudeCodeExtension::isOurs(entry))
                kept.push_back(entry);
        if (!kept.empty())
            result[event] = kept;
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::home();
    fuzz::clearHome();
    const std::string settings = ClaudeCodeExtension::settingsPath();
    std::filesystem::create_directories(fuzz::home() + "/.claude");
    const std::string original(reinterpret_cast<const char *>(data), size);
    {
        std::ofstream out(settings, std::ios::binary);
        out << original;
    }
    ClaudeCodeExtension claude;
    try {
        claude.connect();
    } catch (const ClaudeCodeExtension::ConnectError &error) {
        fuzz::check(error.which() == ClaudeCodeExtension::ConnectError::Case::unreadableSettings);
        fuzz::check(fuzz::readWhole(settings) == original);
        fuzz::check(!std::filesystem::exists(settings + ".vesk-backup"));
        return 0;
    }
    const json before = vesk::parseUntrustedJson(original);
    fuzz::check(before.is_object());
    fuzz::check(claude.isConnected.peek() && ClaudeCodeExtension::isInstalled());
    const std::string connected = fuzz::readWhole(settings);
    claude.connect();
    fuzz::check(fuzz::readWhole(settings) == connected);
    fuzz::check(!ClaudeCodeExtension::applySettings());

    claude.disconnect();
    fuzz::check(!claude.isConnected.peek() && !ClaudeCodeExtension::isInstalled());
    const std::string once = fuzz::readWhole(settings);
    const json after = vesk::parseUntrustedJson(once);
    fuzz::check(after.is_object());
    for (const auto &[key, value] : before.items()) {
        if (key == "hooks" || key == "statusLine")
            continue;
        fuzz::check(after.contains(key) && after[key] == value);
    }
    fuzz::check(foreignEntries(after) == foreignEntries(before));
    const auto line = before.find("statusLine");
    if (line != before.end() && line->is_object() && !line->empty())
        fuzz::check(after.contains("statusLine") && after["statusLine"] == *line);
    claude.disconnect();
    fuzz::check(fuzz::readWhole(settings) == once);
    return 0;
}
