// Fuzzes System Stats' readers of /proc/stat, /proc/meminfo, /proc/net/dev and of sysfs numbers.
// The first byte picks the reader, the rest is the file. Besides crashes and undefined behaviour it
// checks every reading against a second reading done in 128-bit arithmetic: a file either gives
// exactly those numbers or, when a field is missing, malformed or too large for 64 bits, nothing.
#include "Platform/SysfsValue.h"
#include "Platform/linux/ProcParsers.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using u128 = unsigned __int128;
constexpr u128 u64Max = ~uint64_t(0);

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool blank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string_view> split(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        if (blank(line[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < line.size() && !blank(line[j]))
            ++j;
        out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        out.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return out;
}

// Digits only; the value saturates just above 2^64 so that "too large" stays visible.
std::optional<u128> number(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    u128 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + u128(c - '0');
        if (value > u64Max)
            value = u64Max + 1;
    }
    return value;
}

void stat(std::string_view text)
{
    const auto parsed = vesk::proc::parseStat(text);
    const auto all = lines(text);
    std::optional<vesk::proc::CpuStat> expected;
    if (!all.empty()) {
        const auto w = split(all[0]);
        if (w.size() >= 9 && w[0] == "cpu") {
            u128 v[8];
            bool ok = true;
            for (int i = 0; i < 8 && ok; ++i) {
                const auto n = number(w[size_t(i) + 1]);
                ok = n && *n <= u64Max;
                v[i] = n.value_or(0);
            }
            const u128 busy = v[0] + v[1] + v[2] + v[5] + v[6] + v[7];
            const u128 total = busy + v[3] + v[4];
            if (ok && total <= u64Max) {
                int processors = 0;
                for (size_t i = 1; i < all.size(); ++i) {
                    const auto words = split(all[i]);
                    if (!words.empty() && words[0].size() > 3 && words[0].substr(0, 3) == "cpu") {
                        const auto n = number(words[0].substr(3));
                        processors += n && *n <= u64Max;
                    }
                }
                expected = vesk::proc::CpuStat{uint64_t(busy), uint64_t(total), processors};
            }
        }
    }
    check(parsed.has_value() == expected.has_value());
    if (parsed)
        check(parsed->busy == expected->busy && parsed->total == expected->total && parsed->processors == expected->processors);
}

void meminfo(std::string_view text)
{
    const auto parsed = vesk::proc::parseMeminfo(text);
    std::optional<u128> total, available;
    bool failed = false;
    for (const auto line : lines(text)) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const auto key = line.substr(0, colon);
        if (key != "MemTotal" && key != "MemAvailable")
            continue;
        const auto w = split(line.substr(colon + 1));
        std::optional<u128> bytes;
        if (!w.empty() && (w.size() == 1 || (w.size() == 2 && w[1] == "kB")))
            if (const auto kb = number(w[0]); kb && *kb * 1024 <= u64Max)
                bytes = *kb * 1024;
        if (!bytes) {
            failed = true;
            break;
        }
        (key == "MemTotal" ? total : available) = bytes;
    }
    const bool expected = !failed && total && available;
    check(parsed.has_value() == expected);
    if (parsed)
        check(parsed->total == *total && parsed->available == *available);
}

void netdev(std::string_view text)
{
    const auto parsed = vesk::proc::parseNetDev(text);
    u128 down = 0, up = 0;
    bool failed = false;
    int interfaces = 0;
    for (const auto line : lines(text)) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        // A name is the text before the colon with the blanks around it (and only those) removed.
        std::string_view trimmed = line.substr(0, colon);
        while (!trimmed.empty() && blank(trimmed.front()))
            trimmed.remove_prefix(1);
        while (!trimmed.empty() && blank(trimmed.back()))
            trimmed.remove_suffix(1);
        if (trimmed.empty() || trimmed.find('|') != std::string_view::npos)
            continue;
        ++interfaces;
        if (!vesk::proc::isCardInterface(trimmed))
            continue;
        const auto w = split(line.substr(colon + 1));
        const auto d = w.size() >= 16 ? number(w[0]) : std::nullopt;
        const auto u = w.size() >= 16 ? number(w[8]) : std::nullopt;
        if (!d || !u || *d > u64Max || *u > u64Max || down + *d > u64Max || up + *u > u64Max) {
            failed = true;
            break;
        }
        down += *d;
        up += *u;
    }
    const bool expected = !failed && interfaces > 0;
    check(parsed.has_value() == expected);
    if (parsed)
        check(parsed->down == down && parsed->up == up);
}

void sysfsInteger(std::string_view text)
{
    const auto parsed = vesk::parseSysfsInteger(text);
    const bool negative = !text.empty() && text.front() == '-';
    const auto magnitude = number(negative ? text.substr(1) : text);
    const u128 limit = u128(INT64_MAX) + (negative ? 1 : 0);
    const bool expected = magnitude && *magnitude <= limit;
    check(parsed.has_value() == expected);
    if (parsed)
        check(negative ? u128(-(*parsed + 1)) + 1 == *magnitude : u128(*parsed) == *magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char *>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0: stat(text); break;
    case 1: meminfo(text); break;
    case 2: netdev(text); break;
    default: sysfsInteger(text); break;
    }
    return 0;
}
