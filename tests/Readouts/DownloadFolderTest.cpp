// The bookkeeping of partial files by inode, on made-up event sequences.
#include "Platform/linux/DownloadFolder.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>

#include <cstring>
#include <map>

using namespace vesk;
using Kind = DownloadFolder::Change::Kind;

namespace {

// A folder of names and inodes that the events describe.
struct FakeFolder {
    std::map<std::string, uint64_t> files;
    DownloadFolder::Lookup lookup()
    {
        return [this](const std::string &name) -> std::optional<uint64_t> {
            auto it = files.find(name);
            return it == files.end() ? std::nullopt : std::optional(it->second);
        };
    }
    DownloadFolder::Listing listing()
    {
        return [this] {
            std::vector<std::string> names;
            for (const auto &entry : files)
                names.push_back(entry.first);
            return names;
        };
    }
};

std::string record(uint32_t mask, uint32_t cookie, const std::string &name, size_t padTo = 0)
{
    const size_t len = name.empty() ? 0 : std::max(padTo, name.size() + 1);
    inotify_event event{};
    event.mask = mask;
    event.cookie = cookie;
    event.len = uint32_t(len);
    std::string bytes(reinterpret_cast<const char *>(&event), sizeof event);
    std::string padded = name;
    padded.resize(len, '\0');
    return bytes + padded;
}

}  // namespace

TEST(DownloadFolderTest, TheBufferIsSplitIntoItsRecordsAndATruncatedOneEndsIt)
{
    const std::string buffer = record(IN_CREATE, 0, "a.part", 16) + record(IN_MOVED_FROM, 7, "b") + record(IN_DELETE_SELF, 0, "");
    auto events = parseInotifyBuffer(buffer.data(), buffer.size());
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].name, "a.part");
    EXPECT_EQ(events[1].cookie, 7u);
    EXPECT_EQ(events[2].name, "");
    EXPECT_EQ(parseInotifyBuffer(buffer.data(), buffer.size() - 1).size(), 2u);
    std::string unterminated = record(IN_CREATE, 0, "abc");
    unterminated.back() = 'x';
    EXPECT_TRUE(parseInotifyBuffer(unterminated.data(), unterminated.size()).empty());
}

TEST(DownloadFolderTest, APartialFileRenamedWithoutItsSuffixEnded)
{
    FakeFolder folder;
    DownloadFolder state;
    folder.files["a.part"] = 5;
    auto changes = state.apply({{IN_CREATE, 0, "a.part"}}, folder.lookup(), folder.listing());
    EXPECT_EQ(changes, (std::vector<DownloadFolder::Change>{{Kind::started, 5}}));
    changes = state.apply({{IN_MOVED_FROM, 9, "a.part"}, {IN_MOVED_TO, 9, "a"}}, folder.lookup(), folder.listing());
    EXPECT_EQ(changes, (std::vector<DownloadFolder::Change>{{Kind::ended, 5}}));
    EXPECT_TRUE(state.downloads().empty());
}

TEST(DownloadFolderTest, AMoveWithoutItsOtherHalfLeftTheFolder)
{
    FakeFolder folder;
    DownloadFolder state;
    folder.files["a.crdownload"] = 3;
    state.apply({{IN_CREATE, 0, "a.crdownload"}}, folder.lookup(), folder.listing());
    auto changes = state.apply({{IN_MOVED_FROM, 4, "a.crdownload"}}, folder.lookup(), folder.listing());
    EXPECT_EQ(changes, (std::vector<DownloadFolder::Change>{{Kind::cancelled, 3}}));
}

TEST(DownloadFolderTest, AnOverflowRescansTheFolder)
{
    FakeFolder folder;
    DownloadFolder state;
    folder.files = {{"a.part", 1}, {"b.part", 2}, {"c.part", 3}};
    state.apply({{IN_CREATE, 0, "a.part"}, {IN_CREATE, 0, "b.part"}}, folder.lookup(), folder.listing());
    folder.files = {{"a", 1}, {"c.part", 3}};  // a finished, b went, c began, all unseen
    auto changes = state.apply({{IN_Q_OVERFLOW, 0, ""}}, folder.lookup(), folder.listing());
    EXPECT_EQ(changes, (std::vector<DownloadFolder::Change>{{Kind::ended, 1}, {Kind::cancelled, 2}, {Kind::started, 3}}));
}

TEST(DownloadFolderTest, NamesWithOnlyASuffixAreNotPartialFiles)
{
    EXPECT_TRUE(DownloadFolder::isPartial("x.part"));
    EXPECT_TRUE(DownloadFolder::isPartial("x.crdownload"));
    EXPECT_FALSE(DownloadFolder::isPartial(".part"));
    EXPECT_FALSE(DownloadFolder::isPartial("x.partial"));
    EXPECT_FALSE(DownloadFolder::isPartial("x.PART"));
}
