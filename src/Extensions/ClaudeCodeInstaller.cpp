// The Claude Code installation: the two scripts in the extension's folder and this program's
// entries in ~/.claude/settings.json. Nothing of the user's settings is ever lost: a file that
// cannot be read is never written, every value is written back as read, and a change another
// program makes while we merge is merged anew.
#include "Extensions/ClaudeCodeExtension.h"

#include "Platform/AtomicFile.h"
#include "Platform/JsonText.h"
#include "Platform/RegularFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

using nlohmann::json;

namespace {

// Claude Code's settings are small; anything larger is not read, and so never written either.
constexpr size_t largestSettings = 32 << 20;
// How often a save of another program's is merged into before connecting gives up.
constexpr int mergeAttempts = 8;

[[noreturn]] void throwFileError(const std::string &path, int error)
{
    throw ClaudeCodeExtension::FileError(path + ": " + std::strerror(error));
}

using Case = ClaudeCodeExtension::ConnectError::Case;

[[noreturn]] void throwUnreadable() { throw ClaudeCodeExtension::ConnectError(Case::unreadableSettings); }

void makeFolder(const std::string &path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        throwFileError(path, error.value());
}

// A failed write's reason as "<path>: <the system's own text>", which ends the reason after its
// last ": ".
[[noreturn]] void throwWriteFailure(const std::string &path, const std::string &reason)
{
    const auto colon = reason.rfind(": ");
    throw ClaudeCodeExtension::FileError(path + (colon == std::string::npos ? ": " + reason : reason.substr(colon)));
}

void writeAtomic(const std::string &path, const std::string &bytes, unsigned mode)
{
    if (const std::string reason = writeFileAtomically(path, bytes, mode); !reason.empty())
        throwWriteFailure(path, reason);
}

FileBytes readFile(const std::string &path) { return readRegularFile(path, largestSettings); }

// settings.json as read: absent when it could not be read or is not a JSON object.
struct SettingsRead {
    bool exists = false;
    std::string bytes;
    json value;
};

std::optional<SettingsRead> readSettingsFile()
{
    const FileBytes file = readFile(ClaudeCodeExtension::settingsPath());
    if (file.error == ENOENT)
        return SettingsRead{false, {}, json::object()};
    if (file.error != 0)
        return std::nullopt;
    json value = parseUntrustedJson(file.bytes);
    if (!value.is_object())
        return std::nullopt;
    return SettingsRead{true, file.bytes, std::move(value)};
}

// Two-space indent, keys sorted, "/" as is, a final line feed; written compactly when indenting would
// make it larger than the reader takes, and refused when even that is too large.
std::string settingsText(const json &value)
{
    try {
        std::string text = value.dump(2) + "\n";
        if (text.size() > largestSettings)
            text = value.dump() + "\n";
        if (text.size() > largestSettings)
            throw ClaudeCodeExtension::ConnectError(Case::tooLargeSettings);
        return text;
    } catch (const json::exception &) {
        // Only a path that is not UTF-8 gets here.
        throwFileError(ClaudeCodeExtension::settingsPath(), EILSEQ);
    }
}

unsigned modeOf(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? unsigned(info.st_mode & 07777) : 0600u;
}

// Reads settings.json, changes it and writes the result (when it differs, or always). The result
// trades places with the file in one step, and what comes out is compared with what was read:
// when another program saved the file in between, its file goes back and the change is made anew
// on what it saved. One that keeps saving wins, and connecting says so.
bool rewriteSettings(const std::function<json(const SettingsRead &)> &change, bool always,
                     const std::function<std::string(const json &)> &text = settingsText)
{
    const std::string path = ClaudeCodeExtension::settingsPath();
    auto read = readSettingsFile();
    if (!read)
        throwUnreadable();
    json next = change(*read);
    if (!always && next == read->value)
        return false;
    std::string bytes = text(next);
    for (int attempt = 0;; ++attempt) {
        FileSwap swap = FileSwap::swap(path, bytes, modeOf(path), largestSettings,
                                       read->exists ? std::optional(read->bytes) : std::nullopt);
        if (!swap.error().empty())
            throwWriteFailure(path, swap.error());
        if (!swap.changed())
            return true;
        swap.undo();
        if (swap.existed() && swap.previous().error != 0)
            throwUnreadable();
        json saved = swap.existed() ? parseUntrustedJson(swap.previous().bytes) : json::object();
        if (!saved.is_object())
            throwUnreadable();
        if (attempt + 1 == mergeAttempts)
            throw ClaudeCodeExtension::ConnectError(Case::changingSettings);
        read = SettingsRead{swap.existed(), swap.previous().bytes, std::move(saved)};
        next = change(*read);
        if (!always && next == read->value)
            return false;
        bytes = text(next);
    }
}

std::string hookPath() { return ClaudeCodeExtension::folder() + "/hook.sh"; }
std::string statusScriptPath() { return ClaudeCodeExtension::folder() + "/statusline.sh"; }
std::string previousPath() { return ClaudeCodeExtension::folder() + "/previous-statusline.json"; }

// Whether a command names this program's script, written plain or quoted for the shell.
bool namesScript(const json &command, const std::string &path)
{
    if (!command.is_string())
        return false;
    const auto &text = command.get_ref<const std::string &>();
    return text.find(path) != std::string::npos || text.find(ClaudeCodeExtension::shellQuoted(path)) != std::string::npos;
}

const json *member(const json &object, const char *key)
{
    if (!object.is_object())
        return nullptr;
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

bool isOurStatusLine(const json *statusLine)
{
    const json *command = statusLine ? member(*statusLine, "command") : nullptr;
    return command && namesScript(*command, statusScriptPath());
}

std::string hookCommand(const std::string &event)
{
    const std::string q = ClaudeCodeExtension::shellQuoted(hookPath());
    return "[ -f " + q + " ] && /bin/sh " + q + " " + event + " || true";
}

// A "hooks" value that is not an object, or an event value that is not a list, is not ours to
// rearrange.
void requireMergeable(const json &settings)
{
    const json *hooks = member(settings, "hooks");
    if (!hooks)
        return;
    if (!hooks->is_object())
        throwUnreadable();
    for (const auto &event : ClaudeCodeExtension::hookEvents()) {
        const json *list = member(*hooks, event.c_str());
        if (list && !list->is_array())
            throwUnreadable();
    }
}

json withOurEntries(json settings)
{
    json statusLine = settings.contains("statusLine") && settings["statusLine"].is_object() ? settings["statusLine"]
                                                                                              : json{{"type", "command"}};
    statusLine["type"] = "command";
    statusLine["command"] = ClaudeCodeExtension::statusCommand();
    settings["statusLine"] = std::move(statusLine);

    json hooks = settings.contains("hooks") ? settings["hooks"] : json::object();
    for (const auto &event : ClaudeCodeExtension::hookEvents()) {
        json kept = json::array();
        if (hooks.contains(event))
            for (const auto &entry : hooks[event])
                if (!ClaudeCodeExtension::isOurs(entry))
                    kept.push_back(entry);
        json entry{{"hooks", json::array({json{{"type", "command"}, {"command", hookCommand(event)}}})}};
        if (event == "PreToolUse" || event == "PostToolUse")
            entry["matcher"] = "*";
        kept.push_back(std::move(entry));
        hooks[event] = std::move(kept);
    }
    settings["hooks"] = std::move(hooks);
    return settings;
}

bool hasJq()
{
    const char *path = std::getenv("PATH");
    const std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(':', start), list.size());
        const std::string dir = end > start ? list.substr(start, end - start) : std::string(".");
        const std::string candidate = dir + "/jq";
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

const char *ClaudeCodeExtension::ConnectError::what() const noexcept
{
    switch (case_) {
    case Case::unreadableSettings:
        return "Claude Code's settings.json couldn't be read, so nothing was changed.";
    case Case::changingSettings:
        return "Claude Code's settings.json kept changing while Vesk wrote it, so nothing was changed. Try again in a "
               "moment.";
    case Case::tooLargeSettings:
        return "Claude Code's settings.json is too large for Vesk to write back, so nothing was changed.";
    case Case::missingJq:
        return "Claude Code support needs the jq program. Install the jq package, then connect again.";
    }
    return "";
}

const std::vector<std::string> &ClaudeCodeExtension::hookEvents()
{
    static const std::vector<std::string> events = {"SessionStart", "SessionEnd", "UserPromptSubmit", "PreToolUse",
                                                    "PostToolUse",  "Notification", "Stop"};
    return events;
}

const std::string &ClaudeCodeExtension::hookSource()
{
    static const std::string text = R"SH(#!/bin/sh
# Vesk: notes a Claude Code event for the island. Safe to remove via Vesk's Settings.
dir="$(dirname "$0")"
tmp="$(mktemp -t vesk.XXXXXX)" || exit 0
cat > "$tmp"
data="$(jq -c -s 'if length == 1 and (.[0] | type) == "object" then .[0] | del(.tool_input, .tool_response, .prompt, .last_assistant_message, .transcript_path) else null end' "$tmp" 2>/dev/null)"
# Vesk rotates it as it reads; this only matters while Vesk isn't running.
[ "$( { wc -c < "$dir/events.jsonl"; } 2>/dev/null || echo 0)" -gt 2000000 ] && : > "$dir/events.jsonl"
line="$(printf '{"event":"%s","at":%s,"data":%s}' "$1" "$(date +%s)" "${data:-null}")"
printf '%s\n' "$line" > "$tmp" && cat "$tmp" >> "$dir/events.jsonl"
rm -f "$tmp"
exit 0
)SH";
    return text;
}

const std::string &ClaudeCodeExtension::statusSource()
{
    static const std::string text = R"SH(#!/bin/sh
# Vesk: notes Claude Code's usage limits, then shows your own status line as before.
dir="$(dirname "$0")"
input="$(cat)"
printf '%s' "$input" > "$dir/statusline.json.$$.tmp" && mv "$dir/statusline.json.$$.tmp" "$dir/statusline.json"
previous="$(jq -r 'if type == "object" and (.command | type) == "string" then .command else empty end' "$dir/previous-statusline.json" 2>/dev/null)"
[ -n "$previous" ] && printf '%s' "$input" | /bin/bash -c "$previous"
exit 0
)SH";
    return text;
}

std::string ClaudeCodeExtension::shellQuoted(const std::string &text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::optional<json> ClaudeCodeExtension::readSettings()
{
    auto read = readSettingsFile();
    if (!read)
        return std::nullopt;
    return std::move(read->value);
}

bool ClaudeCodeExtension::isInstalled()
{
    const auto settings = readSettings();
    return settings && isOurStatusLine(member(*settings, "statusLine"));
}

bool ClaudeCodeExtension::isOurs(const json &entry)
{
    const json *hooks = member(entry, "hooks");
    if (!hooks || !hooks->is_array())
        return false;
    for (const auto &hook : *hooks) {
        const json *command = member(hook, "command");
        if (command && namesScript(*command, hookPath()))
            return true;
    }
    return false;
}

void ClaudeCodeExtension::removeStaleWrites()
{
    const std::string settings = settingsPath();
    for (const std::string &path : {settings, settings + ".vesk-backup", hookPath(), statusScriptPath(), previousPath()})
        removeStaleAtomicWrites(path);
}

void ClaudeCodeExtension::writeScripts()
{
    makeFolder(folder());
    writeAtomic(hookPath(), hookSource(), 0644);
    writeAtomic(statusScriptPath(), statusSource(), 0644);
    const std::string events = folder() + "/events.jsonl";
    if (const int error = createEmptyFile(events))
        throwFileError(events, error);
}

std::string ClaudeCodeExtension::statusCommand()
{
    const std::string s = shellQuoted(statusScriptPath());
    std::string fallback = "true";
    const FileBytes previous = readFile(previousPath());
    if (previous.error == 0) {
        const json saved = parseUntrustedJson(previous.bytes);
        if (const json *command = member(saved, "command"); command && command->is_string())
            fallback = "/bin/bash -c " + shellQuoted(command->get<std::string>());
    }
    return "if [ -f " + s + " ]; then /bin/sh " + s + "; else " + fallback + "; fi";
}

bool ClaudeCodeExtension::applySettings()
{
    return rewriteSettings(
        [](const SettingsRead &read) {
            requireMergeable(read.value);
            return withOurEntries(read.value);
        },
        false);
}

void ClaudeCodeExtension::connect()
{
    if (!hasJq())
        throw ConnectError(ConnectError::Case::missingJq);
    removeStaleWrites();
    writeScripts();
    rewriteSettings(
        [](const SettingsRead &read) {
            requireMergeable(read.value);
            const std::string settings = settingsPath();
            makeFolder(settings.substr(0, settings.rfind('/')));
            const json *old = member(read.value, "statusLine");
            if (!old || !old->is_object())
                old = nullptr;
            if (!isOurStatusLine(old)) {
                // The status line passes from the user's to ours: keep what it was.
                if (read.exists) {
                    const std::string backup = settings + ".vesk-backup";
                    ::unlink(backup.c_str());
                    writeAtomic(backup, read.bytes, modeOf(settings));
                }
                // Merging again into another program's save rarely changes the line: unchanged,
                // it is not written again.
                const std::string saved = (old ? *old : json::object()).dump();
                if (const FileBytes now = readFile(previousPath()); now.error != 0 || now.bytes != saved)
                    writeAtomic(previousPath(), saved, 0600);
            }
            return withOurEntries(read.value);
        },
        false);
    isConnected = true;
}

void ClaudeCodeExtension::disconnect()
{
    removeStaleWrites();
    const auto change = [](const SettingsRead &read) {
        json settings = read.value;
        const json *line = member(settings, "statusLine");
        // A status line the user set after connecting stays.
        if (!line || isOurStatusLine(line)) {
            const FileBytes previous = readFile(previousPath());
            const json saved = previous.error == 0 ? parseUntrustedJson(previous.bytes) : json();
            if (saved.is_object() && !saved.empty())
                settings["statusLine"] = saved;
            else
                settings.erase("statusLine");
        }
        if (settings.contains("hooks") && settings["hooks"].is_object()) {
            json &hooks = settings["hooks"];
            bool emptied = false;
            for (auto event = hooks.begin(); event != hooks.end();) {
                if (!event->is_array()) {
                    ++event;
                    continue;
                }
                json kept = json::array();
                for (const auto &entry : *event)
                    if (!isOurs(entry))
                        kept.push_back(entry);
                // Only a list that held nothing but ours goes; one the user left empty stays.
                const bool drop = kept.empty() && !event->empty();
                *event = std::move(kept);
                if (drop) {
                    event = hooks.erase(event);
                    emptied = true;
                } else {
                    ++event;
                }
            }
            if (hooks.empty() && emptied)
                settings.erase("hooks");
        }
        return settings;
    };
    // When the result is what the backup holds, the backup's own bytes go back.
    const auto text = [](const json &settings) {
        const FileBytes backup = readFile(settingsPath() + ".vesk-backup");
        if (backup.error == 0 && parseUntrustedJson(backup.bytes) == settings && settings.is_object())
            return backup.bytes;
        return settingsText(settings);
    };
    rewriteSettings(change, true, text);
    isConnected = false;
}

}  // namespace vesk
