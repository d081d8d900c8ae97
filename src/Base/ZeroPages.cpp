#include "Base/ZeroPages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace vesk {

namespace {

bool allZero(const unsigned char *page, std::size_t size)
{
    // A page whose every byte equals the next holds one value throughout: one pass, no page of
    // zeros to compare with.
    return page[0] == 0 && std::memcmp(page, page + 1, size - 1) == 0;
}

}  // namespace

std::size_t releaseZeroPages(void *data, std::size_t bytes)
{
    static const std::size_t pageSize = std::size_t(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + pageSize - 1) / pageSize * pageSize;
    const std::uintptr_t end = (begin + bytes) / pageSize * pageSize;
    std::size_t released = 0;
    // Runs of zero pages go back in one call each.
    std::uintptr_t run = 0;
    auto flush = [&](std::uintptr_t upTo) {
        if (run != 0 && ::madvise(reinterpret_cast<void *>(run), upTo - run, MADV_DONTNEED) == 0)
            released += upTo - run;
        run = 0;
    };
    for (std::uintptr_t page = first; page + pageSize <= end; page += pageSize) {
        if (allZero(reinterpret_cast<const unsigned char *>(page), pageSize)) {
            if (run == 0)
                run = page;
        } else {
            flush(page);
        }
    }
    flush(end);
    return released;
}

}  // namespace vesk
