#include "Base/FilePages.h"

#include <sys/mman.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace vesk {

namespace {

// One mapping of /proc/self/smaps, as far as deciding about it needs.
struct Mapping {
    std::uintptr_t begin = 0, end = 0;
    bool fromFile = false;
    bool writable = false;
    std::size_t residentKiB = 0;
    std::size_t privateCopiesKiB = 0;  // "Anonymous": pages copied on write, the file's no more
    bool complete = false;             // both figures were read

    bool releasable() const
    {
        return complete && fromFile && !writable && privateCopiesKiB == 0 && residentKiB > 0;
    }
};

// A mapping's header line: "begin-end perms offset dev inode [path]".
bool parseHeader(const char *line, Mapping &out)
{
    unsigned long begin = 0, end = 0, inode = 0;
    char perms[5] = {};
    int pathAt = 0;
    if (std::sscanf(line, "%lx-%lx %4s %*s %*s %lu %n", &begin, &end, perms, &inode, &pathAt) < 4)
        return false;
    out = {};
    out.begin = begin;
    out.end = end;
    out.writable = perms[1] == 'w';
    // Pseudo-files ([vdso], [heap], ...) have no inode; a deleted file's pages are its last copy;
    // a device's memory is the device's.
    const char *path = line + pathAt;
    out.fromFile = inode != 0 && path[0] == '/' && std::strncmp(path, "/dev/", 5) != 0
        && !std::strstr(path, " (deleted)");
    return true;
}

}  // namespace

std::size_t releaseUnchangedFilePages()
{
    FILE *smaps = std::fopen("/proc/self/smaps", "re");
    if (!smaps)
        return 0;
    // Read in large pieces, a few system calls rather than one for each mapping.
    std::setvbuf(smaps, nullptr, _IOFBF, 64 * 1024);
    // Neighbouring mappings (a library's headers, code and constants) go back in one call: each
    // call makes every processor that runs one of our threads drop its address translations.
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> ranges;
    std::size_t released = 0;
    Mapping current;
    bool haveResident = false, haveCopies = false;
    auto finish = [&] {
        current.complete = haveResident && haveCopies;
        if (!current.releasable())
            return;
        if (!ranges.empty() && ranges.back().second == current.begin)
            ranges.back().second = current.end;
        else
            ranges.emplace_back(current.begin, current.end);
        released += current.residentKiB * 1024;
    };
    char line[8192];  // a header line holds a path of up to 4096 bytes
    // Of the two dozen lines about each mapping, two count; field names begin with a capital,
    // a mapping's header with a lower-case hexadecimal address.
    const auto field = [&line](const char *name, std::size_t length, std::size_t &kib) {
        if (std::strncmp(line, name, length) != 0)
            return false;
        kib = std::strtoull(line + length, nullptr, 10);
        return true;
    };
    while (std::fgets(line, sizeof line, smaps)) {
        if (field("Rss:", 4, current.residentKiB)) {
            haveResident = true;
        } else if (field("Anonymous:", 10, current.privateCopiesKiB)) {
            haveCopies = true;
        } else if (Mapping next; std::isxdigit(static_cast<unsigned char>(line[0])) && !std::isupper(line[0])
                   && parseHeader(line, next)) {
            finish();
            current = next;
            haveResident = haveCopies = false;
        }
    }
    finish();
    std::fclose(smaps);
    for (const auto &[begin, end] : ranges)
        ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_DONTNEED);
    return released;
}

}  // namespace vesk
