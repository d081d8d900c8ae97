#include "Platform/UserDefaults.h"

#include "Platform/AtomicFile.h"
#include "Base/Clock.h"
#include "Platform/JsonText.h"
#include "Base/Log.h"
#include "Platform/XdgFolders.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {
std::unique_ptr<UserDefaults> &standardStore()
{
    static std::unique_ptr<UserDefaults> store;
    return store;
}

enum class ReadResult { ok, missing, unreadable };

// Settings files are small. Anything else found at the path (a FIFO, a device, a file of many
// megabytes) counts as unreadable: it is never waited on, never read whole and never written.
constexpr off_t settingsFileLimit = 1 << 20;

ReadResult readSettingsFile(const std::string &path, std::string &out, std::string &reason)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return errno == ENOENT ? ReadResult::missing : ReadResult::unreadable;
    }
    auto fail = [&](std::string why) {
        reason = std::move(why);
        ::close(fd);
        return ReadResult::unreadable;
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return fail(std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return fail("not a regular file");
    if (info.st_size > settingsFileLimit)
        return fail("larger than 1 MiB");
    // Sized for what fstat reported plus one byte, so that a file that grows while it is read is
    // noticed; it is then read on up to one byte past the limit, which is enough to tell.
    const size_t readLimit = size_t(settingsFileLimit) + 1;
    out.resize(std::min(size_t(info.st_size) + 1, readLimit));
    size_t length = 0;
    for (;;) {
        if (length == out.size()) {
            if (out.size() == readLimit)
                break;
            out.resize(std::min(out.size() * 2, readLimit));
        }
        const ssize_t n = ::read(fd, out.data() + length, out.size() - length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(std::strerror(errno));
        if (n == 0)
            break;
        length += size_t(n);
    }
    ::close(fd);
    if (length > size_t(settingsFileLimit)) {
        reason = "larger than 1 MiB";
        out.clear();
        return ReadResult::unreadable;
    }
    out.resize(length);
    return ReadResult::ok;
}

std::optional<UserDefaults::Dictionary> parseObject(const std::string &text)
{
    auto parsed = parseUntrustedJson(text);
    if (parsed.is_discarded() || !parsed.is_object())
        return std::nullopt;
    return parsed.get<UserDefaults::Dictionary>();
}

bool isFiniteNumber(const nlohmann::json &v) { return v.is_number() && std::isfinite(v.get<double>()); }
}  // namespace

UserDefaults::UserDefaults() = default;

std::string UserDefaults::configFolder(const std::string &name)
{
    return xdgUserFolder("XDG_CONFIG_HOME", ".config") + "/" + name;
}

std::string UserDefaults::defaultPath() { return configFolder("vesk") + "/settings.json"; }

std::optional<UserDefaults::Dictionary> UserDefaults::readDomainFile(const std::string &path)
{
    std::string text;
    std::string reason;
    if (readSettingsFile(path, text, reason) != ReadResult::ok)
        return std::nullopt;
    return parseObject(text);
}

std::unique_ptr<UserDefaults> UserDefaults::openFile(const std::string &path)
{
    auto store = std::make_unique<UserDefaults>();
    store->path_ = path;
    removeStaleAtomicWrites(path);
    std::string text;
    std::string reason;
    switch (readSettingsFile(path, text, reason)) {
    case ReadResult::missing:
        return store;
    case ReadResult::unreadable:
        store->readOnly_ = true;
        log("cannot read settings file " + path + " (" + reason
            + "); running with the defaults and leaving the file alone");
        return store;
    case ReadResult::ok:
        break;
    }
    if (auto dictionary = parseObject(text)) {
        store->persistent_ = std::move(*dictionary);
        return store;
    }
    const std::string aside = path + ".corrupt-"
        + appClock().wallDateTime().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toStdString();
    if (std::rename(path.c_str(), aside.c_str()) == 0) {
        log("settings file " + path + " is not a JSON object; moved it to " + aside + " and started with the defaults");
    } else {
        // Never overwrite what the user stored: without the move, the file stays as it is.
        store->readOnly_ = true;
        log("settings file " + path + " is not a JSON object and cannot be moved aside ("
            + std::strerror(errno) + "); running with the defaults and leaving the file alone");
    }
    return store;
}

UserDefaults &UserDefaults::standard()
{
    auto &store = standardStore();
    if (!store)
        store = std::make_unique<UserDefaults>();
    return *store;
}

void UserDefaults::setStandard(std::unique_ptr<UserDefaults> store)
{
    standardStore() = std::move(store);
    standardReplaced()();
}

Signal<> &UserDefaults::standardReplaced()
{
    static Signal<> replaced;
    return replaced;
}

void UserDefaults::registerDefaults(const Dictionary &defaults)
{
    bool changedAny = false;
    for (const auto &[key, value] : defaults) {
        auto it = registration_.find(key);
        if (it == registration_.end() || it->second != value) {
            registration_[key] = value;
            changedAny = true;
        }
    }
    if (changedAny)
        post();
}

void UserDefaults::setVolatileOverlay(Dictionary overlay)
{
    if (overlay == overlay_)
        return;
    overlay_ = std::move(overlay);
    post();
}

std::optional<nlohmann::json> UserDefaults::object(const std::string &key) const
{
    for (const Dictionary *domain : {&overlay_, &persistent_, &registration_}) {
        if (auto it = domain->find(key); it != domain->end())
            return it->second;
    }
    return std::nullopt;
}

std::optional<nlohmann::json> UserDefaults::storedValue(const std::string &key) const
{
    if (auto it = persistent_.find(key); it != persistent_.end())
        return it->second;
    return std::nullopt;
}

template <typename T, typename Accept>
T UserDefaults::typed(std::string_view key, Accept accept, T fallback) const
{
    for (const Dictionary *domain : {&overlay_, &persistent_}) {
        if (auto it = domain->find(key); it != domain->end()) {
            if (accept(it->second))
                return it->second.template get<T>();
            break;  // a value of the wrong type reads as the registered default
        }
    }
    if (auto it = registration_.find(key); it != registration_.end() && accept(it->second))
        return it->second.template get<T>();
    return fallback;
}

namespace {
bool isBoolean(const nlohmann::json &v) { return v.is_boolean(); }
bool isString(const nlohmann::json &v) { return v.is_string(); }
}  // namespace

template <>
bool UserDefaults::value(const Setting<bool> &setting) const
{
    return typed<bool>(setting.key, isBoolean, setting.fallback);
}

template <>
double UserDefaults::value(const Setting<double> &setting) const
{
    return typed<double>(setting.key, isFiniteNumber, setting.fallback);
}

template <>
std::string UserDefaults::value(const Setting<std::string> &setting) const
{
    return typed<std::string>(setting.key, isString, setting.defaultValue());
}

void UserDefaults::set(const std::string &key, nlohmann::json value)
{
    persistent_[key] = std::move(value);
    save();
    post();
}

void UserDefaults::set(const Dictionary &values)
{
    for (const auto &[key, value] : values)
        persistent_[key] = value;
    save();
    post();
}

void UserDefaults::remove(const std::string &key) { remove(std::vector<std::string>{key}); }

void UserDefaults::remove(const std::vector<std::string> &keys)
{
    bool removed = false;
    for (const auto &key : keys)
        removed |= persistent_.erase(key) > 0;
    if (removed)
        save();
    post();
}

void UserDefaults::save()
{
    if (!writesToDisk())
        return;
    if (failing_) {
        // A disk that just refused a write is asked again once a second at most; the latest values
        // are written when that second is up.
        const double wait = lastFailure_ + 1.0 - mainQueue().clock().now();
        if (wait > 0) {
            if (!retry_.isPending())
                retry_ = mainQueue().after(wait, [this] { write(); });
            return;
        }
    }
    write();
}

void UserDefaults::write()
{
    retry_.cancel();
    const auto reason = writeFileAtomically(path_, formatSettingsFile(persistent_), 0600);
    if (reason.empty()) {
        if (failing_)
            log("settings saved again to " + path_);
        failing_ = false;
        return;
    }
    if (!failing_)
        log("cannot save settings (" + reason + "); keeping changes in memory and trying again on the next change");
    failing_ = true;
    lastFailure_ = mainQueue().clock().now();
}

std::string formatSettingsFile(const UserDefaults::Dictionary &dictionary)
{
    // nlohmann's object is a sorted map, and it writes integral doubles as "2.0".
    return nlohmann::json(dictionary).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace vesk
