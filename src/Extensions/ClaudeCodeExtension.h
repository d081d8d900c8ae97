#pragma once

#include "Extensions/IslandExtension.h"
#include "Base/Observed.h"
#include "Base/RepeatingItem.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vesk {

// Claude Code: follows the Claude Code agent through two scripts it installs into Claude Code's
// user settings (a hook run on every hook event, and a status-line wrapper). The scripts leave an
// append-only event file and a copy of the latest status-line input in the extension's folder; the
// extension reads both once a second and keeps, in memory only, the live sessions and the two
// usage limits. It shows a waiting session as an urgent activity, a working one with a tint that
// ages, and heads-ups when Claude needs the user, finished a long turn, or a limit comes close.
// Main thread only.
class ClaudeCodeExtension final : public IslandExtension, public std::enable_shared_from_this<ClaudeCodeExtension> {
public:
    // Dates are wall-clock seconds since the epoch on the application clock, so ages count the
    // time the machine slept.
    struct Working {
        double since;
        bool operator==(const Working &) const = default;
    };
    struct Waiting {
        std::string message;
        bool operator==(const Waiting &) const = default;
    };
    struct Done {
        double at;
        bool operator==(const Done &) const = default;
    };
    using SessionState = std::variant<Working, Waiting, Done>;

    struct Session {
        std::string id;       // Claude Code's session_id
        std::string project;  // the working directory's last component, or "Claude"
        SessionState state;
        double lastEvent;  // when this program handled the session's latest event
        bool operator==(const Session &) const = default;
    };

    // A usage window: the share used, in percent as reported (not clamped), and when it resets.
    struct Limit {
        double usedPercent = 0;
        std::optional<double> resetsAt;
        bool operator==(const Limit &) const = default;
    };

    // A file's modification time to the nanosecond.
    struct FileTime {
        int64_t seconds = 0;
        int64_t nanoseconds = 0;
        bool operator==(const FileTime &) const = default;
        double toSeconds() const { return double(seconds) + double(nanoseconds) / 1e9; }
    };

    // The session list: an assignment of an equal list notifies nobody, an edit in place always
    // notifies.
    class SessionList : public Observable {
    public:
        const std::vector<Session> &get() const
        {
            noteRead();
            return list_;
        }
        const std::vector<Session> &peek() const { return list_; }
        void set(std::vector<Session> list)
        {
            if (list == list_)
                return;
            list_ = std::move(list);
            notifyChanged();
        }
        void edit(const std::function<void(std::vector<Session> &)> &change)
        {
            change(list_);
            notifyChanged();
        }

    private:
        std::vector<Session> list_;
    };

    // Why connecting or disconnecting changed nothing. File errors are thrown as FileError.
    class ConnectError : public std::exception {
    public:
        enum class Case { unreadableSettings, changingSettings, tooLargeSettings, missingJq };
        explicit ConnectError(Case c) : case_(c) {}
        Case which() const { return case_; }
        const char *what() const noexcept override;
        bool operator==(const ConnectError &other) const { return case_ == other.case_; }

    private:
        Case case_;
    };
    // "<path>: <the system's reason>".
    class FileError : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    static const ExtensionInfo &typeInfo();
    // The extension's own tint (not the system orange).
    static const QColor &orange();

    ClaudeCodeExtension() = default;
    ~ClaudeCodeExtension() override;

    const ExtensionInfo &info() const override { return typeInfo(); }
    // Derived on each read from the sessions and the clock.
    std::optional<ExtensionActivity> activity() const override;
    void start() override;
    void stop() override;

    // Connecting and disconnecting (the settings view's buttons). Each sets isConnected when it
    // succeeds and throws ConnectError or FileError otherwise.
    void connect();
    void disconnect();

    // An elapsed time as a clock ("0:59", "1:00:00") and the time until a window resets, from
    // now ("resets in 1h 59m"); see ClaudeCodeFormat.h.
    static QString clock(double seconds);
    static QString until(std::optional<double> date);

    Observed<std::optional<Limit>> fiveHour;
    Observed<std::optional<Limit>> weekly;
    // The modification time of the status file last taken.
    Observed<std::optional<FileTime>> limitsUpdated;
    SessionList sessions;
    Observed<bool> isConnected{false};

    // Byte offset in the event file up to which whole lines have been taken.
    uint64_t readOffset() const { return readOffset_; }
    // Called with every whole line taken from the event file, before it is handled.
    std::function<void(std::string_view)> lineTaken;
    // The size above which the event file is rotated (1,000,000 bytes). Tests and the fuzzer use
    // small bounds here and below.
    uint64_t eventFileBound = 1'000'000;
    // The most a tick reads of the event file: more is taken over the next ticks, and when more
    // than four times this arrived, only the last of it (1 MiB). At least longestLine.
    uint64_t readPerTick = 1 << 20;
    // A line of this many bytes or more is no event and is dropped, also while it is still growing
    // (64 KiB).
    size_t longestLine = 64 << 10;

    // One pass of reading, pruning and reporting (the timer's, also called by tools and tests).
    void tick();

    // The home folder: $HOME, else the password entry's. Computed on each use.
    static std::string homeFolder();
    // $XDG_DATA_HOME/vesk/ClaudeCode ($XDG_DATA_HOME only when absolute, else ~/.local/share, as
    // xdgUserFolder gives it).
    // Computed on each use; not created here.
    static std::string folder();
    static std::string settingsPath();  // ~/.claude/settings.json

    // The installation (ClaudeCodeInstaller.cpp).
    static const std::vector<std::string> &hookEvents();
    static const std::string &hookSource();
    static const std::string &statusSource();
    // settings.json as a JSON object: a missing file is the empty object; a file that cannot be
    // read, is not JSON or is not an object is absent.
    static std::optional<nlohmann::json> readSettings();
    // Whether settings.json holds this program's status line.
    static bool isInstalled();
    static void writeScripts();
    // Removes what writes of ours to settings.json, its backup and our own files left behind when
    // the process was killed in the middle (connect, disconnect and start call it).
    static void removeStaleWrites();
    static std::string statusCommand();
    // Merges this program's status line and hooks into settings.json, writing it only when that
    // changes it; true when it wrote.
    static bool applySettings();
    static bool isOurs(const nlohmann::json &entry);
    // A text quoted for the shell: '…' with every ' as '\''.
    static std::string shellQuoted(const std::string &text);

    // One usage window of the status file ("five_hour" or "seven_day").
    static std::optional<Limit> limit(const nlohmann::json *value);
    // Strictly YYYY-MM-DDTHH:MM:SS followed by Z or ±HH:MM, as Unix seconds.
    static std::optional<double> parseInternetDate(std::string_view text);

private:
    // Creates `path` as an empty file of mode 0600 unless something is there already; 0 then, else
    // the errno of the failed create.
    static int createEmptyFile(const std::string &path);
    void readEvents();
    // Takes the whole lines of `bytes` (read at the offset), advancing `offset` past them.
    void takeLines(std::string_view bytes, uint64_t &offset, bool &skipping);
    // Takes what a tick may of an open file of `end` bytes from `offset`; true when that reached its end.
    bool takeNew(int fd, uint64_t end, uint64_t &offset, bool &skipping);
    void readOldEvents();
    void handle(const std::string &event, const nlohmann::json &payload);
    void readLimits();
    void warnIfClose(const std::optional<Limit> &limit, const std::string &key, const char *label);
    void prune();

    RepeatingItem timer_;
    uint64_t readOffset_ = 0;
    // The event file the offset belongs to (device and inode), once known.
    std::optional<std::pair<uint64_t, uint64_t>> eventFile_;
    // Past a line that grew beyond the bound without a line feed: waiting for its end.
    bool skipping_ = false;
    // A rotated file still to be read from its offset at the next tick.
    bool oldPending_ = false;
    uint64_t oldOffset_ = 0;
    bool oldSkipping_ = false;
    std::set<std::string> warnedLimits_;
};

}  // namespace vesk
