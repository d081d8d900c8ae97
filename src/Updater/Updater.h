#pragma once

#include "Base/MainQueue.h"
#include "Base/Observed.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vesk {

// The self-updater, as far as the island reads it. Checking, downloading and installing are not
// wired up yet; the state below is set by whoever drives it (tests, developer tools).
class Updater {
public:
    // Where the update cycle stands.
    struct Phase {
        enum class Case { idle, checking, downloading, ready, installing, failed };
        Case kind = Case::idle;
        std::string version;  // downloading, ready, installing
        double progress = 0;  // downloading, 0...1
        std::string message;  // failed

        static Phase idle() { return {}; }
        static Phase checking() { return {Case::checking}; }
        static Phase downloading(std::string version, double progress) { return {Case::downloading, std::move(version), progress}; }
        static Phase ready(std::string version) { return {Case::ready, std::move(version)}; }
        static Phase installing(std::string version) { return {Case::installing, std::move(version)}; }
        static Phase failed(std::string message) { return {Case::failed, {}, 0, std::move(message)}; }
        bool operator==(const Phase &) const = default;
    };

    struct WhatsNew {
        std::string version;
        std::vector<std::string> notes;
        bool operator==(const WhatsNew &) const = default;
    };

    static Updater &shared();

    Updater() = default;
    Updater(const Updater &) = delete;
    Updater &operator=(const Updater &) = delete;

    // True while there is a what's-new record to show, or an update is ready and not postponed.
    const Observed<bool> &wantsIsland() const { return wantsIsland_; }
    // The record shown after an update was installed, if any.
    const Observed<std::optional<WhatsNew>> &whatsNew() const { return whatsNew_; }
    // The note lines of the pending update.
    const Observed<std::vector<std::string>> &notes() const { return notes_; }

    // Called once, 5 s after launch. The periodic check is not built yet, so starting only records
    // that the application asked for it.
    void start() { isStarted_ = true; }
    bool isStarted() const { return isStarted_; }

    const Observed<Phase> &phase() const { return phase_; }
    void setPhase(Phase phase) { phase_ = std::move(phase); }
    // Checks now, unless a check, download or install is under way (or an update is ready and
    // nobody asked). There is no update server to ask yet, so a check ends as one that reaches
    // none: on the next turn, idle, or for a user's check the connection message.
    void check(bool userInitiated);

    // The running version and build number ("1.0" and 0 where the build says nothing).
    static std::string currentVersion();
    static long long currentBuild();

    void setWantsIsland(bool wants) { wantsIsland_ = wants; }
    void setWhatsNew(std::optional<WhatsNew> record) { whatsNew_ = std::move(record); }
    void setNotes(std::vector<std::string> notes) { notes_ = std::move(notes); }

private:
    bool isStarted_ = false;
    Observed<Phase> phase_;
    WorkItem checkItem_;
    Observed<bool> wantsIsland_{false};
    Observed<std::optional<WhatsNew>> whatsNew_;
    Observed<std::vector<std::string>> notes_;
};

}  // namespace vesk
