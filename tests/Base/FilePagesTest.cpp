#include "Base/FilePages.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using vesk::releaseUnchangedFilePages;

namespace {

const size_t page = size_t(sysconf(_SC_PAGESIZE));
constexpr size_t pages = 8;

// The resident kilobytes of the mapping that holds `address`, -1 when there is none.
long residentKiB(const void *address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    FILE *smaps = std::fopen("/proc/self/smaps", "r");
    if (!smaps)
        return -1;
    char line[8192];
    bool inside = false;
    long found = -1;
    while (std::fgets(line, sizeof line, smaps)) {
        unsigned long begin = 0, end = 0;
        long kib = 0;
        if (std::sscanf(line, "%lx-%lx ", &begin, &end) == 2) {
            inside = at >= begin && at < end;
        } else if (inside && std::sscanf(line, "Rss: %ld kB", &kib) == 1) {
            found = kib;
            break;
        }
    }
    std::fclose(smaps);
    return found;
}

// A file of `pages` pages, each filled with its own byte.
class FilePagesTest : public ::testing::Test {
protected:
    FilePagesTest()
    {
        path = ::testing::TempDir() + "vesk-file-pages-XXXXXX";
        fd = mkstemp(path.data());
        EXPECT_GE(fd, 0);
        std::vector<unsigned char> bytes(pages * page);
        for (size_t p = 0; p < pages; ++p)
            std::memset(bytes.data() + p * page, int(p + 1), page);
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    ~FilePagesTest() override
    {
        for (auto [address, length] : mapped)
            munmap(address, length);
        close(fd);
        unlink(path.c_str());
    }

    unsigned char *map(int protection, int flags)
    {
        void *address = mmap(nullptr, pages * page, protection, flags, fd, 0);
        EXPECT_NE(address, MAP_FAILED);
        mapped.emplace_back(address, pages * page);
        return static_cast<unsigned char *>(address);
    }

    // Reads every page (through a volatile pointer, so that no read is left out).
    static unsigned sum(const unsigned char *memory)
    {
        const volatile unsigned char *bytes = memory;
        unsigned total = 0;
        for (size_t i = 0; i < pages * page; i += 64)
            total += bytes[i];
        return total;
    }

    std::string path;
    int fd = -1;
    std::vector<std::pair<void *, size_t>> mapped;
};

TEST_F(FilePagesTest, ReadOnlyFilePagesLeaveTheResidentSetAndReadAsBefore)
{
    const unsigned char *memory = map(PROT_READ, MAP_PRIVATE);
    const unsigned before = sum(memory);  // every page read, so resident
    ASSERT_EQ(residentKiB(memory), long(pages * page / 1024));

    EXPECT_GE(releaseUnchangedFilePages(), pages * page);
    EXPECT_EQ(residentKiB(memory), 0);
    EXPECT_EQ(sum(memory), before);
    EXPECT_EQ(memory[3 * page + 5], 4);
}

TEST_F(FilePagesTest, PagesTheProcessChangedOrMayChangeStay)
{
    // Written, then made read-only: as the loader leaves relocated data.
    unsigned char *relocated = map(PROT_READ | PROT_WRITE, MAP_PRIVATE);
    sum(relocated);
    relocated[2 * page] = 0xEE;
    ASSERT_EQ(mprotect(relocated, pages * page, PROT_READ), 0);
    // Writable, read but not written yet.
    unsigned char *writable = map(PROT_READ | PROT_WRITE, MAP_PRIVATE);
    sum(writable);
    // Shared and writable: the file itself.
    unsigned char *shared = map(PROT_READ | PROT_WRITE, MAP_SHARED);
    shared[page] = 0x42;
    sum(shared);
    // Anonymous memory is no file's.
    auto *anonymous = static_cast<unsigned char *>(
        mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(anonymous, MAP_FAILED);
    mapped.emplace_back(anonymous, pages * page);
    std::memset(anonymous, 0x5A, pages * page);

    releaseUnchangedFilePages();

    EXPECT_EQ(residentKiB(relocated), long(pages * page / 1024));
    EXPECT_EQ(relocated[2 * page], 0xEE);
    EXPECT_EQ(residentKiB(writable), long(pages * page / 1024));
    EXPECT_EQ(residentKiB(shared), long(pages * page / 1024));
    EXPECT_EQ(shared[page], 0x42);
    EXPECT_EQ(residentKiB(anonymous), long(pages * page / 1024));
    EXPECT_EQ(anonymous[pages * page - 1], 0x5A);
}

TEST_F(FilePagesTest, AFileDeletedSinceItWasMappedKeepsItsPages)
{
    const unsigned char *memory = map(PROT_READ, MAP_PRIVATE);
    const unsigned before = sum(memory);
    ASSERT_EQ(unlink(path.c_str()), 0);

    releaseUnchangedFilePages();

    EXPECT_EQ(residentKiB(memory), long(pages * page / 1024));
    EXPECT_EQ(sum(memory), before);
}

}  // namespace
