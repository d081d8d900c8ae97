#pragma once

#include "Platform/Observed.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vesk {

// The self-updater, as far as the island reads it. Checking, downloading and installing are not
// wired up yet; the state below is set by whoever drives it (tests, developer tools).
class Updater {
public:
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

    void setWantsIsland(bool wants) { wantsIsland_ = wants; }
    void setWhatsNew(std::optional<WhatsNew> record) { whatsNew_ = std::move(record); }
    void setNotes(std::vector<std::string> notes) { notes_ = std::move(notes); }

private:
    bool isStarted_ = false;
    Observed<bool> wantsIsland_{false};
    Observed<std::optional<WhatsNew>> whatsNew_;
    Observed<std::vector<std::string>> notes_;
};

}  // namespace vesk
