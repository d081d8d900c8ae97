#pragma once

#include "Base/MainQueue.h"
#include "Base/Signal.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vesk {

// One setting: its key, the type its value has and the value it reads when the store holds none
// of that type. Settings are constants, declared once by whoever owns the key (the table in
// Model/Defaults.h, an extension for its own options), and read and written only through
// UserDefaults::value and UserDefaults::set. Supported types: bool, double, std::string.
template <typename T>
struct Setting {
    static_assert(std::is_same_v<T, bool> || std::is_same_v<T, double> || std::is_same_v<T, std::string>,
                  "a setting holds a bool, a double or a string");
    // Strings are kept as text so that a setting can be a compile-time constant.
    using Default = std::conditional_t<std::is_same_v<T, std::string>, const char *, T>;

    const char *key;
    Default fallback;

    T defaultValue() const { return T(fallback); }
};

// The settings store. Three domains are searched in order: the argument domain's volatile overlay
// (memory), the persistent domain (a JSON file, or memory for tests and tools) and the registration
// domain (memory). Every write, removal and reset posts `changed` once, synchronously, on the
// calling (main) thread. Edits that other programs make to the file while we run are not watched.
class UserDefaults {
public:
    using Dictionary = nlohmann::json::object_t;

    // A store whose persistent domain lives in memory only.
    UserDefaults();
    // A store backed by the JSON file at `path`. A file that is not a JSON object (or nests deeper
    // than kJsonDepthLimit) is moved aside to "<path>.corrupt-<UTC time>" and the store starts
    // empty; a file that cannot be read (also anything but a regular file, or one over 1 MiB) is
    // left alone and the store then never writes it. Either way one "Vesk: " line says so.
    static std::unique_ptr<UserDefaults> openFile(const std::string &path);
    // $XDG_CONFIG_HOME/vesk/settings.json ($XDG_CONFIG_HOME counts only when absolute, else ~/.config).
    static std::string defaultPath();
    // The folder that holds a product's settings: $XDG_CONFIG_HOME/<name> by the same rule.
    static std::string configFolder(const std::string &name);
    // Reads another product's settings file in the same format; absent when missing, malformed or
    // unreadable by the rules of openFile.
    static std::optional<Dictionary> readDomainFile(const std::string &path);

    // The installed standard store; an in-memory one until the application installs its own.
    static UserDefaults &standard();
    static void setStandard(std::unique_ptr<UserDefaults> store);
    // Posted after setStandard() put another store in place, so followers of `changed` on the
    // shared store can follow the new one.
    static Signal<> &standardReplaced();

    // Merges `defaults` into the registration domain; posts only when that changed a registered value.
    void registerDefaults(const Dictionary &defaults);
    // Replaces the argument domain's volatile overlay (searched first); posts only when it changed.
    void setVolatileOverlay(Dictionary overlay);

    // What a setting reads: the first domain that holds the key decides; a value of another type
    // than the setting's reads as the registered default, and without a registered default of
    // that type as the setting's own default. Doubles accept any finite number.
    template <typename T>
    T value(const Setting<T> &setting) const;
    // Stores a setting's value (persistent domain); one write, one notification.
    template <typename T>
    void set(const Setting<T> &setting, const std::type_identity_t<T> &value)
    {
        set(std::string(setting.key), nlohmann::json(value));
    }
    // Text is not a truth value: a pointer would otherwise convert to `true`.
    void set(const Setting<bool> &, const char *) = delete;

    // The value a key reads through all three domains, if any domain holds it.
    std::optional<nlohmann::json> object(const std::string &key) const;
    // What the persistent domain itself holds for a key (overlay and registration ignored).
    std::optional<nlohmann::json> storedValue(const std::string &key) const;
    const Dictionary &persistentDomain() const { return persistent_; }

    void set(const std::string &key, nlohmann::json value);
    // Stores several keys with one write of the file and one notification.
    void set(const Dictionary &values);
    void remove(const std::string &key);
    // Removes several keys and posts exactly one notification.
    void remove(const std::vector<std::string> &keys);

    // False for a memory-only store and when the file could not be read: changes then stay in
    // memory. A failed write does not stop writing: the values stay in memory, one "Vesk: " line
    // says so, and the next change tries again, at most once a second (a change sooner than that
    // is written when the second is up), until a write succeeds.
    bool writesToDisk() const { return !path_.empty() && !readOnly_; }
    // True from a failed write until the next one succeeds.
    bool hasUnsavedChanges() const { return failing_; }
    const std::string &path() const { return path_; }

    Signal<> changed;

private:
    template <typename T, typename Accept>
    T typed(std::string_view key, Accept accept, T fallback) const;
    void save();
    void write();
    void post() { changed(); }

    Dictionary registration_;
    Dictionary persistent_;
    Dictionary overlay_;
    std::string path_;
    bool readOnly_ = false;
    bool failing_ = false;
    double lastFailure_ = 0;  // monotonic seconds
    WorkItem retry_;
};

template <>
bool UserDefaults::value(const Setting<bool> &setting) const;
template <>
double UserDefaults::value(const Setting<double> &setting) const;
template <>
std::string UserDefaults::value(const Setting<std::string> &setting) const;

// Serialises a settings dictionary exactly as the file holds it: 2-space indentation, sorted keys,
// doubles always with a fraction, a trailing newline.
std::string formatSettingsFile(const UserDefaults::Dictionary &dictionary);

}  // namespace vesk
