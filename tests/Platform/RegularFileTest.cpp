#include "Platform/AtomicFile.h"
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

TEST_F(RegularFileTest, ASwapHandsBackWhatStoodThereAndUndoPutsItBack)
{
    const std::string file = path("settings.json");
    write(file, "theirs");
    ::chmod(file.c_str(), 0640);
    const ino_t theirs = inode(file);
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, "theirs");
        ASSERT_EQ(swap.error(), "");
        EXPECT_FALSE(swap.changed());
        EXPECT_TRUE(swap.existed());
        EXPECT_EQ(swap.previous().bytes, "theirs");
        EXPECT_EQ(read(file), "ours");
        swap.undo();
    }
    EXPECT_EQ(read(file), "theirs");
    EXPECT_EQ(inode(file), theirs) << "the very same file back, mode and all";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()), {}), 1);

    // Saved at the last moment, after the look before the swap: the exchange reveals it.
    setAtomicWriteHookForTesting([&](const std::string &) { write(file, "saved"); });
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, "theirs");
        setAtomicWriteHookForTesting(nullptr);
        EXPECT_TRUE(swap.changed());
        EXPECT_EQ(swap.previous().bytes, "saved");
        swap.undo();
    }
    EXPECT_EQ(read(file), "saved");

    // Saved while ours was written: seen before anything is swapped.
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, "theirs");
        EXPECT_TRUE(swap.changed());
        EXPECT_EQ(swap.previous().bytes, "saved");
    }
    EXPECT_EQ(read(file), "saved");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()), {}), 1);

    // A save made over ours before the undo is newer than what came out: it stays.
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, "saved");
        write(file, "newest");
        swap.undo();
    }
    EXPECT_EQ(read(file), "newest");

    // Kept: ours stays and what came out is gone.
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, "newest");
        EXPECT_FALSE(swap.changed());
    }
    EXPECT_EQ(read(file), "ours");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()), {}), 1);
}

TEST_F(RegularFileTest, ASwapCreatesOnlyAMissingFile)
{
    const std::string file = path("new.json");
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, std::nullopt);
        EXPECT_FALSE(swap.changed());
        EXPECT_FALSE(swap.existed());
        EXPECT_EQ(read(file), "ours");
        swap.undo();
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    // Another program created it at the last moment: an exchange after all.
    setAtomicWriteHookForTesting([&](const std::string &) { write(file, "created"); });
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, std::nullopt);
        EXPECT_TRUE(swap.changed());
        EXPECT_TRUE(swap.existed());
        EXPECT_EQ(swap.previous().bytes, "created");
        swap.undo();
    }
    EXPECT_EQ(read(file), "created");
    // Too large to read back: reported, and put back whole.
    setAtomicWriteHookForTesting([&](const std::string &) { write(file, std::string(200, 'x')); });
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, "created");
        EXPECT_TRUE(swap.changed());
        EXPECT_EQ(swap.previous().error, EFBIG);
        swap.undo();
    }
    setAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(read(file), std::string(200, 'x'));
    // Deleted meanwhile, where a file was expected: created, and said to have changed.
    std::filesystem::remove(file);
    {
        FileSwap swap = FileSwap::swap(file, "ours", 0600, 100, "created");
        EXPECT_TRUE(swap.changed());
        EXPECT_FALSE(swap.existed());
    }
}

}  // namespace
