#pragma once

#include <functional>
#include <string_view>

namespace vesk {

// Writes one diagnostic line, "Vesk: " followed by the message, to standard error.
// Safe to call from any thread; lines are never interleaved.
void log(std::string_view message);

// Tests install a sink to capture lines instead of printing them; nullptr restores stderr.
using LogSink = std::function<void(std::string_view line)>;
void setLogSink(LogSink sink);

}  // namespace vesk
