#include "Platform/RegularFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace vesk;

namespace {

class RegularFileTest : public ::testing::Test {
protected:
    std::string path(const std::string &name) const { return dir.path().toStdString() + "/" + name; }
    static void write(const std::string &file, const std::string &bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    static std::string read(const std::string &file) { return readRegularFile(file, 1 << 20).bytes; }
    static ino_t inode(const std::string &file)
    {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
    }
    QTemporaryDir dir;
};

TEST_F(RegularFileTest, OnlyARegularFileWithinTheLimitIsRead)
{
    write(path("ten"), "0123456789");
    EXPECT_EQ(readRegularFile(path("ten"), 10).bytes, "0123456789");
    EXPECT_EQ(readRegularFile(path("ten"), 10).error, 0);
    EXPECT_EQ(readRegularFile(path("ten"), 9).error, EFBIG);
    EXPECT_EQ(readRegularFile(path("ten"), 9).bytes, "");
    write(path("empty"), "");
    EXPECT_EQ(readRegularFile(path("empty"), 0).error, 0);
    EXPECT_EQ(readRegularFile(path("missing"), 10).error, ENOENT);
    EXPECT_EQ(readRegularFile(dir.path().toStdString(), 10).error, EISDIR);
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    EXPECT_EQ(readRegularFile(path("pipe"), 10).error, EINVAL) << "a pipe with no writer, at once";
    EXPECT_EQ(RegularFile::open("/dev/zero").error, EINVAL);
    EXPECT_FALSE(RegularFile::open("/dev/zero").fd);
    const RegularFile file = RegularFile::open(path("ten"));
    ASSERT_EQ(file.error, 0);
    EXPECT_EQ(file.info.st_size, 10);
    EXPECT_EQ(readFileRange(file.fd.get(), 7, 10), "789") << "short at the end";
    EXPECT_EQ(readFileRange(file.fd.get(), 20, 5), "");
}

}  // namespace
