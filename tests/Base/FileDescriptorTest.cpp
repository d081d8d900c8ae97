#include "Base/FileDescriptor.h"

#include <gtest/gtest.h>

#include <fcntl.h>

using vesk::FileDescriptor;

namespace {

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(FileDescriptorTest, ClosesWhatItHoldsOnceAndOnlyOnce)
{
    int raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(raw, 0);
    {
        FileDescriptor fd(raw);
        EXPECT_TRUE(fd);
        FileDescriptor moved(std::move(fd));
        EXPECT_FALSE(fd);
        EXPECT_EQ(moved.get(), raw);
        FileDescriptor assigned;
        assigned = std::move(moved);
        EXPECT_TRUE(isOpen(raw)) << "moving closes nothing";
    }
    EXPECT_FALSE(isOpen(raw));

    raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    FileDescriptor fd(raw);
    const int other = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    fd.reset(other);
    EXPECT_FALSE(isOpen(raw));
    EXPECT_EQ(fd.release(), other);
    EXPECT_FALSE(fd);
    EXPECT_TRUE(isOpen(other)) << "released, not closed";
    FileDescriptor again(other);
    EXPECT_TRUE(again.close());
    EXPECT_FALSE(isOpen(other));
    EXPECT_TRUE(again.close()) << "nothing held: nothing to fail";
    EXPECT_FALSE(FileDescriptor(-1));
}

}  // namespace
