#include "Platform/linux/ProcParsers.h"

#include <limits>

namespace vesk::proc {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// Splits at blanks.
std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        size_t j = i;
        while (j < line.size() && !isBlank(line[j]))
            ++j;
        if (j > i)
            out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

// Calls `fn` with each line (without its newline).
template <typename F>
void eachLine(std::string_view text, F fn)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (!fn(line))
            return;
        if (end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

std::optional<uint64_t> digits(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto next = multiply(value, 10);
        if (!next)
            return std::nullopt;
        const auto sum = add(*next, uint64_t(c - '0'));
        if (!sum)
            return std::nullopt;
        value = *sum;
    }
    return value;
}

}  // namespace

std::optional<uint64_t> add(uint64_t a, uint64_t b)
{
    if (a > std::numeric_limits<uint64_t>::max() - b)
        return std::nullopt;
    return a + b;
}

std::optional<uint64_t> multiply(uint64_t a, uint64_t b)
{
    if (a != 0 && b > std::numeric_limits<uint64_t>::max() / a)
        return std::nullopt;
    return a * b;
}

std::optional<CpuStat> parseStat(std::string_view text)
{
    std::optional<CpuStat> result;
    bool first = true;
    int processors = 0;
    bool failed = false;
    eachLine(text, [&](std::string_view line) {
        const auto w = words(line);
        if (first) {
            first = false;
            // cpu user nice system idle iowait irq softirq steal [guest guest_nice]
            if (w.size() < 9 || w[0] != "cpu") {
                failed = true;
                return false;
            }
            uint64_t v[8];
            for (int i = 0; i < 8; ++i) {
                const auto n = digits(w[size_t(i) + 1]);
                if (!n) {
                    failed = true;
                    return false;
                }
                v[i] = *n;
            }
            // Busy is every field but idle and iowait; a sum past 64 bits is no reading.
            uint64_t busy = v[0];
            for (int i : {1, 2, 5, 6, 7}) {
                const auto sum = add(busy, v[i]);
                if (!sum) {
                    failed = true;
                    return false;
                }
                busy = *sum;
            }
            const auto idle = add(v[3], v[4]);
            const auto total = idle ? add(busy, *idle) : std::nullopt;
            if (!total) {
                failed = true;
                return false;
            }
            result = CpuStat{busy, *total, 0};
            return true;
        }
        if (!w.empty() && w[0].size() > 3 && w[0].substr(0, 3) == "cpu" && digits(w[0].substr(3)))
            ++processors;
        return true;
    });
    if (failed || !result)
        return std::nullopt;
    result->processors = processors;
    return result;
}

std::optional<MemInfo> parseMeminfo(std::string_view text)
{
    std::optional<uint64_t> total, available;
    bool failed = false;
    eachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return true;
        const std::string_view key = line.substr(0, colon);
        if (key != "MemTotal" && key != "MemAvailable")
            return true;
        auto w = words(line.substr(colon + 1));
        std::optional<uint64_t> bytes;
        if (!w.empty() && (w.size() == 1 || (w.size() == 2 && w[1] == "kB")))
            if (const auto kb = digits(w[0]))
                bytes = multiply(*kb, 1024);
        if (!bytes) {
            failed = true;
            return false;
        }
        (key == "MemTotal" ? total : available) = bytes;
        return true;
    });
    if (failed || !total || !available)
        return std::nullopt;
    return MemInfo{*total, *available};
}

bool isCardInterface(std::string_view name)
{
    return name.starts_with("en") || name.starts_with("eth") || name.starts_with("wl");
}

std::optional<NetBytes> parseNetDev(std::string_view text)
{
    NetBytes sum;
    bool failed = false;
    int interfaces = 0;
    eachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return true;  // the two header lines
        const std::string_view name = trim(line.substr(0, colon));
        if (name.empty() || name.find('|') != std::string_view::npos)
            return true;
        ++interfaces;
        if (!isCardInterface(name))
            return true;
        // A wide counter follows the colon with no space: split after the colon, not at blanks.
        const auto w = words(line.substr(colon + 1));
        const auto down = w.size() >= 16 ? digits(w[0]) : std::nullopt;
        const auto up = w.size() >= 16 ? digits(w[8]) : std::nullopt;
        const auto d = down ? add(sum.down, *down) : std::nullopt;
        const auto u = up ? add(sum.up, *up) : std::nullopt;
        if (!d || !u) {
            failed = true;
            return false;
        }
        sum = {*d, *u};
        return true;
    });
    if (failed || interfaces == 0)
        return std::nullopt;
    return sum;
}

}  // namespace vesk::proc
