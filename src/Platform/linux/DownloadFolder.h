#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vesk {

// One event of an inotify watch on a folder.
struct FolderEvent {
    uint32_t mask = 0;
    uint32_t cookie = 0;
    std::string name;
};

// Splits what a read of an inotify descriptor returned into its events. A record that runs past
// the end of the buffer, or whose name is not terminated inside its record, ends the parse.
std::vector<FolderEvent> parseInotifyBuffer(const char *data, size_t size);

// The downloads in one folder, known by inode so that a rename inside the folder is the same
// download. A download is a regular partial file (`*.part`: Firefox, KDE; `*.crdownload`:
// Chromium) that appeared while the folder was watched; renamed to a name without the suffix it
// ended, removed or moved out it was cancelled. Pure bookkeeping: the caller reads the folder.
class DownloadFolder {
public:
    // The inode of the regular file `name` in the folder, none for anything else or nothing.
    using Lookup = std::function<std::optional<uint64_t>(const std::string &name)>;
    using Listing = std::function<std::vector<std::string>()>;

    struct Change {
        enum class Kind { started, ended, cancelled };
        Kind kind;
        uint64_t inode;
        bool operator==(const Change &) const = default;
    };

    // The partial files already there are crash leftovers, never downloads.
    void ignoreExisting(const Listing &listing, const Lookup &lookup);
    // One read's worth of events, in order.
    std::vector<Change> apply(const std::vector<FolderEvent> &events, const Lookup &lookup, const Listing &listing);

    static bool isPartial(const std::string &name);
    const std::map<uint64_t, std::string> &downloads() const { return downloads_; }
    // The folder itself went away: nothing more will come.
    bool isGone() const { return gone_; }

    // More than this many downloads at once is not a browser at work; further ones are not followed.
    static constexpr size_t maxDownloads = 256;

private:
    void started(const std::string &name, std::optional<uint64_t> inode, std::vector<Change> &changes);
    void rescan(const Lookup &lookup, const Listing &listing, std::vector<Change> &changes);
    void endAll(std::vector<Change> &changes);
    std::optional<uint64_t> inodeNamed(const std::string &name) const;

    std::map<uint64_t, std::string> downloads_;
    std::set<uint64_t> ignored_;
    bool gone_ = false;
};

}  // namespace vesk
