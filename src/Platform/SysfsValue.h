#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Reading the small attribute files of /sys (and of fake trees in tests) without trusting them:
// only regular files, opened without blocking, at most `maxSysfsValue` bytes, trailing white space
// trimmed. A missing, special, oversized or unreadable file reads as none.
constexpr size_t maxSysfsValue = 4096;
std::optional<std::string> readSysfsValue(const std::string &path);

// A decimal integer as sysfs writes it ("42", "-3"), nothing else; none for empty text, other
// characters or a value outside 64 bits.
std::optional<int64_t> parseSysfsInteger(std::string_view text);

// The names in a folder, sorted, without "." and ".."; none when it cannot be listed.
std::vector<std::string> listFolder(const std::string &path);

}  // namespace vesk
