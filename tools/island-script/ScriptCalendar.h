#pragma once

#include "Platform/sim/SimCalendarStore.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vesk {
class IcsCalendarStore;
class NotchViewModel;
}  // namespace vesk

// The calendar of a script's machine: the simulated store, or the iCalendar store over a folder
// of the script's (`calendar folder DIR`), the locale of the pages, and the verbs that drive them.
class ScriptCalendar {
public:
    // `flush` runs what is due on the virtual clock; `jump` moves the wall clock alone.
    ScriptCalendar(vesk::SimCalendarStore &simulated, std::function<void()> flush, std::function<void(double)> jump);
    ~ScriptCalendar();
    ScriptCalendar(const ScriptCalendar &) = delete;
    ScriptCalendar &operator=(const ScriptCalendar &) = delete;

    // Runs one of the calendar verbs; false for any other verb (and then `pos` is left alone).
    bool execute(const std::string &verb, const std::string &line, size_t &pos, vesk::NotchViewModel *primary,
                 const std::string &folder);
    // Waits for the folder store's loads, if there is one (after every verb).
    void settle();

    void addFields(std::map<std::string, std::string> &fields, const vesk::NotchViewModel &model) const;

private:
    vesk::SimCalendarStore &simulated_;
    std::function<void()> flush_;
    std::function<void(double)> jump_;
    std::unique_ptr<vesk::IcsCalendarStore> folderStore_;
};
