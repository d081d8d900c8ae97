#include "Base/ZeroPages.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

using vesk::releaseZeroPages;

namespace {

const size_t page = size_t(sysconf(_SC_PAGESIZE));

class ZeroPagesTest : public ::testing::Test {
protected:
    static constexpr size_t pages = 16;
    ZeroPagesTest()
    {
        memory = static_cast<unsigned char *>(
            mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        EXPECT_NE(memory, MAP_FAILED);
        std::memset(memory, 0, pages * page);  // every page resident
    }
    ~ZeroPagesTest() override { munmap(memory, pages * page); }

    std::vector<bool> resident() const
    {
        std::vector<unsigned char> flags(pages);
        EXPECT_EQ(mincore(memory, pages * page, flags.data()), 0);
        std::vector<bool> result;
        for (unsigned char f : flags)
            result.push_back((f & 1) != 0);
        return result;
    }

    unsigned char *memory = nullptr;
};

TEST_F(ZeroPagesTest, OnlyAllZeroPagesGoBackAndTheMemoryReadsAsBefore)
{
    memory[2 * page] = 1;                  // a page's first byte
    memory[5 * page + page - 1] = 7;       // another's last byte
    memory[9 * page + page / 2] = 0x80;    // one in the middle
    std::vector<unsigned char> before(memory, memory + pages * page);

    EXPECT_EQ(releaseZeroPages(memory, pages * page), (pages - 3) * page);

    const std::vector<bool> kept = resident();
    for (size_t i = 0; i < pages; ++i)
        EXPECT_EQ(kept[i], i == 2 || i == 5 || i == 9) << "page " << i;
    EXPECT_EQ(std::memcmp(before.data(), memory, pages * page), 0);

    // A page given back is taken again by a write, and keeps it.
    memory[3 * page + 10] = 42;
    EXPECT_EQ(releaseZeroPages(memory, pages * page), (pages - 4) * page);
    EXPECT_EQ(memory[3 * page + 10], 42);
    EXPECT_TRUE(resident()[3]);
}

TEST_F(ZeroPagesTest, PagesOnlyPartlyInsideTheRangeAreKeptWhateverTheyHold)
{
    // A picture's pixels start a little way into a page that holds other data before them (a
    // heap block's header), and end partway into a page that may hold something after them.
    memory[page + 8] = 0xAA;                  // before the range, in its first page
    memory[12 * page + page - 8] = 0xBB;      // after the range, in its last page
    unsigned char *start = memory + page + 16;
    const size_t length = 11 * page;          // ends 16 bytes into page 12

    EXPECT_EQ(releaseZeroPages(start, length), 10 * page);
    const std::vector<bool> kept = resident();
    EXPECT_TRUE(kept[1]);
    EXPECT_TRUE(kept[12]);
    for (size_t i = 2; i < 12; ++i)
        EXPECT_FALSE(kept[i]) << "page " << i;
    EXPECT_EQ(memory[page + 8], 0xAA);
    EXPECT_EQ(memory[12 * page + page - 8], 0xBB);
}

TEST_F(ZeroPagesTest, ARangeWithinOnePageGivesNothingBack)
{
    EXPECT_EQ(releaseZeroPages(memory + 4 * page + 100, page / 2), 0u);
    EXPECT_EQ(releaseZeroPages(memory, 0), 0u);
    EXPECT_TRUE(resident()[4]);
}

}  // namespace
