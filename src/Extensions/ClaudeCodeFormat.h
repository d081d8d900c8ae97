#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace vesk::claude_code {

// A number as a whole count toward zero, saturating at the ends of 64 bits (NaN is 0): only a
// malformed status file carries figures that large, and they must not wrap or trap.
int64_t wholeSaturated(double value);

// An elapsed time as a clock: "M:SS" below an hour, "H:MM:SS" from an hour on (hours unbounded).
// Fractions are cut toward zero; anything below a second is "0:00".
QString clock(double seconds);

// The time from `now` until a usage window resets: "resets in 0m" / "…Mm" / "…Hh Mm" / "…Dd Hh";
// an absent date gives the empty text.
QString until(std::optional<double> date, double now);

// The age of `date` seen from `now`, in English words: "now", "2 minutes ago", "yesterday",
// "in 3 hours", "next week".
QString relativeDate(double date, double now);

// A text from another process's file drawn on one line: line breaks and tabs as spaces, other
// control characters dropped.
QString singleLine(const QString &text);

}  // namespace vesk::claude_code
