#include "Extensions/ClaudeCodeExtension.h"

#include "Extensions/ClaudeCodeFormat.h"
#include "Extensions/ExtensionStore.h"
#include "Base/Clock.h"
#include "Base/FileDescriptor.h"
#include "Base/Log.h"
#include "Kit/Palette.h"
#include "Platform/JsonText.h"
#include "Platform/RegularFile.h"
#include "Platform/XdgFolders.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

using nlohmann::json;

namespace {

constexpr double intervalSeconds = 1.0;
constexpr double workingFor = 1800;
constexpr double waitingFor = 3600;
constexpr double doneFor = 600;
constexpr double greenUntil = 60;
constexpr double yellowUntil = 300;
constexpr double doneAlertAfter = 8;
// A status file larger than this is not Claude Code's and is never read.
constexpr size_t statusFileLimit = 8 << 20;
// The longest project name and waiting message kept, in bytes of UTF-8: a path component is at most
// 255 bytes, and a notification is a sentence or two.
constexpr size_t projectLimit = 255;
constexpr size_t messageLimit = 1024;

double wallNow() { return appClock().wallNow(); }

ExtensionActivity activityOf(const char *symbol, QColor tint, QString text, bool urgent = false)
{
    return ExtensionActivity{ClaudeCodeExtension::typeInfo().id, symbol, std::move(tint), std::move(text), urgent};
}

QString text(const std::string &utf8) { return QString::fromStdString(utf8); }

// At most `limit` bytes of a text, never cut inside a UTF-8 sequence.
std::string capped(std::string_view text, size_t limit)
{
    if (text.size() <= limit)
        return std::string(text);
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

// The last component of a path: /a/b/app and /a/b/app/ give app; "/" alone gives "/".
std::string_view lastComponent(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos || path.size() == 1)
        return path;
    return path.substr(slash + 1);
}

// Truncated toward zero and held within 64 bits.
int64_t wholeSaturated(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(value);
}

std::string eventsPath() { return ClaudeCodeExtension::folder() + "/events.jsonl"; }
std::string oldEventsPath() { return ClaudeCodeExtension::folder() + "/events.jsonl.old"; }

}  // namespace

const QColor &ClaudeCodeExtension::orange()
{
    static const QColor color = QColor::fromRgbF(0.85f, 0.47f, 0.34f, 1.0f);
    return color;
}

const ExtensionInfo &ClaudeCodeExtension::typeInfo()
{
    static const ExtensionInfo info{"claude-code", "Claude Code",
                                    "Usage limits, live session status, and a heads-up when Claude needs you.",
                                    "asterisk", orange(), "Developer"};
    return info;
}

ClaudeCodeExtension::~ClaudeCodeExtension() = default;

QString ClaudeCodeExtension::clock(double seconds) { return claude_code::clock(seconds); }

QString ClaudeCodeExtension::until(std::optional<double> date) { return claude_code::until(date, wallNow()); }

std::string ClaudeCodeExtension::homeFolder()
{
    if (const char *home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

std::string ClaudeCodeExtension::folder() { return xdgUserFolder("XDG_DATA_HOME", ".local/share") + "/vesk/ClaudeCode"; }

int ClaudeCodeExtension::createEmptyFile(const std::string &path)
{
    const FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    return fd || errno == EEXIST ? 0 : errno;
}

std::string ClaudeCodeExtension::settingsPath() { return homeFolder() + "/.claude/settings.json"; }

std::optional<ExtensionActivity> ClaudeCodeExtension::activity() const
{
    const auto &list = sessions.peek();
    for (const auto &session : list) {
        if (std::holds_alternative<Waiting>(session.state))
            return activityOf("hand.raised.fill", orange(), QStringLiteral("Needs you \u00B7 ") + text(session.project), true);
    }
    for (const auto &session : list) {
        if (const auto *working = std::get_if<Working>(&session.state)) {
            const double elapsed = wallNow() - working->since;
            const kit::Color tint = elapsed > yellowUntil ? kit::palette::red
                : elapsed > greenUntil                   ? kit::palette::yellow
                                                         : kit::palette::green;
            return activityOf("asterisk", tint.toQColor(), text(session.project));
        }
    }
    return std::nullopt;
}

void ClaudeCodeExtension::start()
{
    isConnected = isInstalled();
    if (isConnected.peek()) {
        // Bring the installation up to date; what fails keeps what is installed.
        try {
            removeStaleWrites();
            writeScripts();
            applySettings();
        } catch (const std::exception &error) {
            log(std::string("Claude Code: cannot bring the installation up to date (") + error.what()
                + "); running with what is installed");
        }
    }
    // A rotated file left by an earlier run holds only events from before this start.
    ::unlink(oldEventsPath().c_str());
    oldPending_ = false;
    skipping_ = false;
    if (const RegularFile file = RegularFile::open(eventsPath()); file.error == 0) {
        readOffset_ = uint64_t(file.info.st_size);
        eventFile_ = std::pair{uint64_t(file.info.st_dev), uint64_t(file.info.st_ino)};
    } else {
        readOffset_ = 0;
        eventFile_.reset();
    }
    readLimits();
    timer_.stop();
    timer_.start(intervalSeconds, [this] { tick(); });
}

void ClaudeCodeExtension::stop()
{
    timer_.stop();
    sessions.set({});
}

void ClaudeCodeExtension::tick()
{
    const auto before = activity();
    readEvents();
    readLimits();
    prune();
    const auto after = activity();
    if (after != before || !sessions.peek().empty())
        ExtensionStore::shared().activityChanged();
}

void ClaudeCodeExtension::prune()
{
    const double now = wallNow();
    const auto stale = [now](const Session &s) {
        if (std::holds_alternative<Working>(s.state))
            return now - s.lastEvent > workingFor;
        if (std::holds_alternative<Waiting>(s.state))
            return now - s.lastEvent > waitingFor;
        return now - std::get<Done>(s.state).at > doneFor;
    };
    // Every tick edits the list in place, so its observers hear of each pass.
    sessions.edit([&](std::vector<Session> &list) { list.erase(std::remove_if(list.begin(), list.end(), stale), list.end()); });
}

void ClaudeCodeExtension::takeLines(std::string_view bytes, uint64_t &offset, bool &skipping)
{
    size_t pos = 0;
    if (skipping) {
        const size_t feed = bytes.find('\n');
        if (feed == std::string_view::npos) {
            offset += bytes.size();
            return;
        }
        pos = feed + 1;
        skipping = false;
    }
    const size_t last = bytes.rfind('\n');
    const size_t end = last == std::string_view::npos || last < pos ? pos : last + 1;
    if (bytes.size() - end >= longestLine) {
        // A line this long without an end is nobody's event: skip it up to its line feed.
        skipping = true;
        offset += bytes.size();
    } else {
        offset += end;
    }
    while (pos < end) {
        const size_t feed = bytes.find('\n', pos);
        const std::string_view line = bytes.substr(pos, feed - pos);
        pos = feed + 1;
        if (line.empty() || line.size() >= longestLine)
            continue;
        if (lineTaken)
            lineTaken(line);
        const json object = parseUntrustedJson(line);
        if (!object.is_object())
            continue;
        const auto event = object.find("event");
        if (event == object.end() || !event->is_string())
            continue;
        const auto data = object.find("data");
        handle(event->get<std::string>(), data != object.end() && data->is_object() ? *data : json::object());
    }
}

bool ClaudeCodeExtension::takeNew(int fd, uint64_t end, uint64_t &offset, bool &skipping)
{
    if (end <= offset)
        return true;
    uint64_t length = std::min(end - offset, readPerTick);
    if (end - offset > 4 * readPerTick) {
        // Far more than a tick takes: only the newest lines matter. Start a byte before the last
        // stretch, so that the line cut there is skipped and a line beginning right there is not.
        log("Claude Code: skipped " + std::to_string(end - offset - readPerTick)
            + " bytes of the event file, far more than a tick reads at once");
        offset = end - readPerTick - 1;
        length = readPerTick + 1;
        skipping = true;
    }
    const bool toEnd = offset + length == end;
    takeLines(readFileRange(fd, offset, size_t(length)), offset, skipping);
    return toEnd;
}

void ClaudeCodeExtension::readOldEvents()
{
    if (!oldPending_)
        return;
    const std::string path = oldEventsPath();
    const RegularFile file = RegularFile::open(path);
    // Read on over the next ticks while more is left than one tick takes.
    if (file.error == 0 && !takeNew(file.fd.get(), uint64_t(file.info.st_size), oldOffset_, oldSkipping_))
        return;
    oldPending_ = false;
    ::unlink(path.c_str());
}

void ClaudeCodeExtension::readEvents()
{
    // The rotated file's lines come first, all of them, so that events stay in order.
    readOldEvents();
    if (oldPending_)
        return;
    const std::string path = eventsPath();
    const RegularFile file = RegularFile::open(path);
    // Missing, unreadable, or no file at all (a pipe, a folder): nothing to read.
    if (file.error != 0)
        return;
    const auto identity = std::pair{uint64_t(file.info.st_dev), uint64_t(file.info.st_ino)};
    if (eventFile_ != identity) {
        // Another file than the one the offset counts in: all of it is new.
        eventFile_ = identity;
        readOffset_ = 0;
        skipping_ = false;
    }
    const uint64_t end = uint64_t(file.info.st_size);
    if (end < readOffset_) {
        readOffset_ = 0;
        skipping_ = false;
    }
    takeNew(file.fd.get(), end, readOffset_, skipping_);
    if (end <= eventFileBound)
        return;
    // Rotate rather than empty: lines a hook appends meanwhile land in the old file, whose whole
    // lines past the offset are read from the next tick on; a failed rename is tried again then.
    if (::rename(path.c_str(), oldEventsPath().c_str()) != 0)
        return;
    oldPending_ = true;
    oldOffset_ = readOffset_;
    oldSkipping_ = skipping_;
    createEmptyFile(path);
    readOffset_ = 0;
    skipping_ = false;
    eventFile_.reset();
}

void ClaudeCodeExtension::handle(const std::string &event, const json &payload)
{
    const auto id = payload.find("session_id");
    if (payload.empty() || id == payload.end() || !id->is_string())
        return;
    static const std::set<std::string> known = {"SessionEnd", "UserPromptSubmit", "PreToolUse", "PostToolUse",
                                                "Notification", "Stop", "SessionStart"};
    if (!known.count(event))
        return;
    const std::string sessionID = id->get<std::string>();
    if (event == "SessionEnd") {
        const auto &list = sessions.peek();
        if (std::any_of(list.begin(), list.end(), [&](const Session &s) { return s.id == sessionID; }))
            sessions.edit([&](std::vector<Session> &l) {
                l.erase(std::remove_if(l.begin(), l.end(), [&](const Session &s) { return s.id == sessionID; }), l.end());
            });
        return;
    }
    const double now = wallNow();
    const auto cwd = payload.find("cwd");
    const std::string_view dir = cwd != payload.end() && cwd->is_string() ? std::string_view(cwd->get_ref<const std::string &>())
                                                                          : std::string_view();
    const std::string name = dir.empty() ? std::string("Claude") : capped(lastComponent(dir), projectLimit);

    const auto &list = sessions.peek();
    const auto found = std::find_if(list.begin(), list.end(), [&](const Session &s) { return s.id == sessionID; });
    Session session = found != list.end() ? *found : Session{sessionID, name, Done{now}, now};
    session.lastEvent = now;
    if (!dir.empty())
        session.project = name;

    auto &store = ExtensionStore::shared();
    if (event == "UserPromptSubmit" || event == "PreToolUse" || event == "PostToolUse") {
        if (!std::holds_alternative<Working>(session.state))
            session.state = Working{now};
    } else if (event == "Notification") {
        const auto message = payload.find("message");
        session.state = Waiting{message != payload.end() && message->is_string()
                                    ? capped(message->get_ref<const std::string &>(), messageLimit)
                                    : std::string("Claude needs your input")};
        store.alert(activityOf("hand.raised.fill", orange(), QStringLiteral("Needs you \u00B7 ") + text(session.project)), 6.0);
    } else if (event == "Stop") {
        if (const auto *working = std::get_if<Working>(&session.state); working && now - working->since > doneAlertAfter)
            store.alert(activityOf("checkmark.circle.fill", kit::palette::green.toQColor(),
                                   QStringLiteral("Done \u00B7 ") + text(session.project)),
                        3.5);
        session.state = Done{now};
    }
    sessions.edit([&](std::vector<Session> &l) {
        const auto at = std::find_if(l.begin(), l.end(), [&](const Session &s) { return s.id == sessionID; });
        if (at != l.end())
            *at = std::move(session);
        else
            l.push_back(std::move(session));
    });
}

void ClaudeCodeExtension::readLimits()
{
    const std::string path = folder() + "/statusline.json";
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return;
    if (limitsUpdated.peek() == FileTime{int64_t(info.st_mtim.tv_sec), int64_t(info.st_mtim.tv_nsec)})
        return;
    // The name may have been given another file since: what is read and dated is the one opened.
    const RegularFile file = RegularFile::open(path);
    if (file.error != 0 || uint64_t(file.info.st_size) > statusFileLimit)
        return;
    const FileTime modified{int64_t(file.info.st_mtim.tv_sec), int64_t(file.info.st_mtim.tv_nsec)};
    if (limitsUpdated.peek() == modified)
        return;
    const std::string bytes = readFileRange(file.fd.get(), 0, size_t(file.info.st_size));
    const json object = parseUntrustedJson(bytes);
    if (!object.is_object())
        return;
    limitsUpdated = modified;
    const auto rates = object.find("rate_limits");
    const json *windows = rates != object.end() && rates->is_object() ? &*rates : nullptr;
    const auto member = [&](const char *key) -> const json * {
        if (!windows)
            return nullptr;
        const auto found = windows->find(key);
        return found == windows->end() ? nullptr : &*found;
    };
    fiveHour = limit(member("five_hour"));
    weekly = limit(member("seven_day"));
    warnIfClose(fiveHour.peek(), "5h", "5-hour limit");
    warnIfClose(weekly.peek(), "week", "Weekly limit");
}

void ClaudeCodeExtension::warnIfClose(const std::optional<Limit> &limit, const std::string &key, const char *label)
{
    if (!limit)
        return;
    if (limit->usedPercent < 80) {
        warnedLimits_.erase(key);
        return;
    }
    if (limit->usedPercent < 90 || warnedLimits_.count(key))
        return;
    warnedLimits_.insert(key);
    const QString message = QStringLiteral("%1 \u00B7 %2%").arg(QLatin1String(label)).arg(wholeSaturated(limit->usedPercent));
    ExtensionStore::shared().alert(activityOf("gauge.with.dots.needle.67percent", kit::palette::orange.toQColor(), message), 5.0);
}

std::optional<ClaudeCodeExtension::Limit> ClaudeCodeExtension::limit(const json *value)
{
    if (!value || !value->is_object())
        return std::nullopt;
    const auto used = value->find("used_percentage");
    if (used == value->end() || !used->is_number())
        return std::nullopt;
    Limit result{used->get<double>(), std::nullopt};
    const auto resets = value->find("resets_at");
    if (resets != value->end()) {
        if (resets->is_number()) {
            const double t = resets->get<double>();
            result.resetsAt = t > 1'000'000'000'000.0 ? t / 1000.0 : t;
        } else if (resets->is_string()) {
            result.resetsAt = parseInternetDate(resets->get_ref<const std::string &>());
        }
    }
    return result;
}

std::optional<double> ClaudeCodeExtension::parseInternetDate(std::string_view s)
{
    // YYYY-MM-DDTHH:MM:SS then Z (20 characters) or ±HH:MM (25).
    if (s.size() != 20 && s.size() != 25)
        return std::nullopt;
    const auto digits = [&](size_t at, size_t count) -> int {
        int value = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            value = value * 10 + (s[i] - '0');
        }
        return value;
    };
    if (s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':')
        return std::nullopt;
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    const int hour = digits(11, 2), minute = digits(14, 2), second = digits(17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 59)
        return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    static constexpr int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > monthDays[month - 1] + (month == 2 && leap ? 1 : 0))
        return std::nullopt;
    int offset = 0;
    if (s.size() == 20) {
        if (s[19] != 'Z')
            return std::nullopt;
    } else {
        const int oh = digits(20, 2), om = digits(23, 2);
        if ((s[19] != '+' && s[19] != '-') || s[22] != ':' || oh < 0 || oh > 23 || om < 0 || om > 59)
            return std::nullopt;
        offset = (oh * 60 + om) * 60 * (s[19] == '-' ? -1 : 1);
    }
    // Days from the civil date (proleptic Gregorian calendar).
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = int64_t(era) * 146097 + doe - 719468;
    return double(days * 86400 + hour * 3600 + minute * 60 + second - offset);
}

}  // namespace vesk
