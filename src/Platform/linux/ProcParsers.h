#pragma once

// Readers of the kernel's text files under /proc (sysfs numbers are read by Platform/SysfsValue.h).
// The text is untrusted: a missing, short, non-numeric or overflowing field fails the read (nothing
// is returned), never a wrapped number. Standard library only, so the fuzzers build them alone.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vesk::proc {

struct CpuStat {
    uint64_t busy = 0;   // user + nice + system + irq + softirq + steal (guest time is inside user)
    uint64_t total = 0;  // busy + idle + iowait
    int processors = 0;  // its cpuN lines
};
// /proc/stat: the first line must be the "cpu" total with at least eight counters.
std::optional<CpuStat> parseStat(std::string_view text);

struct MemInfo {
    uint64_t total = 0;      // bytes
    uint64_t available = 0;  // bytes
};
// /proc/meminfo: MemTotal and MemAvailable, in kB, both required.
std::optional<MemInfo> parseMeminfo(std::string_view text);

struct NetBytes {
    uint64_t down = 0;
    uint64_t up = 0;
};
// Whether an interface is one of the machine's cards (Ethernet or wireless): loopback, bridges,
// containers' and tunnels' interfaces stay out.
bool isCardInterface(std::string_view name);
// /proc/net/dev: the received and sent bytes summed over the cards. A card's line that cannot be
// read fails the whole read; a file without any interface line fails too.
std::optional<NetBytes> parseNetDev(std::string_view text);

// Checked arithmetic.
std::optional<uint64_t> add(uint64_t a, uint64_t b);
std::optional<uint64_t> multiply(uint64_t a, uint64_t b);

}  // namespace vesk::proc
