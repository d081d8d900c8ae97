#pragma once

#include "Extensions/ClaudeCodeExtension.h"
#include "Kit/Element.h"

#include <vector>

namespace vesk {

// The two sessions with the newest activity, each with its state symbol, project and state text
// (a running clock, the waiting message or "Done"); "No sessions running" when there are none.
// Holds no timer: the page describes it again every second.
struct SessionRows {
    std::vector<ClaudeCodeExtension::Session> sessions;
    // The wall-clock time the working clocks are measured from.
    double now = 0;

    kit::Element body(const kit::Env &) const;
    bool operator==(const SessionRows &) const = default;

    // Newest `lastEvent` first, equal ones in list order, at most two.
    static std::vector<ClaudeCodeExtension::Session> shown(std::vector<ClaudeCodeExtension::Session> sessions);
    // The text at the trailing side of a session's row, at `now`.
    static QString stateText(const ClaudeCodeExtension::Session &session, double now);
};

}  // namespace vesk
