// Fuzzes the inotify buffer parser with the download bookkeeping. The input is one or more reads'
// worth of inotify records (split where the first byte says); names map to made-up inodes, some
// shared, some missing, as files that come and go. Besides crashes and undefined behaviour it
// checks that every end is of a download that started and had not ended, that nothing starts
// twice, and that the bookkeeping never holds more than its limit.
#include "Platform/linux/DownloadFolder.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

std::optional<uint64_t> fakeInode(const std::string &name)
{
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : name)
        hash = (hash ^ c) * 1099511628211ull;
    if (hash % 5 == 0)
        return std::nullopt;  // gone already, or not a regular file
    return hash % 13;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t split = size > 1 ? 1 + data[0] % (size - 1) : 1;
    std::vector<std::string> names;
    vesk::DownloadFolder folder;
    const vesk::DownloadFolder::Lookup lookup = [](const std::string &name) { return fakeInode(name); };
    const vesk::DownloadFolder::Listing listing = [&names] { return names; };
    std::set<uint64_t> running;
    auto apply = [&](const uint8_t *bytes, size_t length) {
        const auto events = vesk::parseInotifyBuffer(reinterpret_cast<const char *>(bytes), length);
        for (const auto &event : events) {
            if (!event.name.empty() && names.size() < 64)
                names.push_back(event.name);  // the listing a rescan sees
        }
        for (const auto &change : folder.apply(events, lookup, listing)) {
            if (change.kind == vesk::DownloadFolder::Change::Kind::started)
                check(running.insert(change.inode).second);
            else
                check(running.erase(change.inode) == 1);
        }
        check(running.size() == folder.downloads().size());
        check(folder.downloads().size() <= vesk::DownloadFolder::maxDownloads);
        for (const auto &[inode, name] : folder.downloads())
            check(running.count(inode) && vesk::DownloadFolder::isPartial(name));
    };
    apply(data + 1, split - 1);
    apply(data + split, size - split);
    return 0;
}
