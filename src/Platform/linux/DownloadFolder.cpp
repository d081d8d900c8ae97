#include "Platform/linux/DownloadFolder.h"

#include <cstring>

#include <sys/inotify.h>

namespace vesk {

std::vector<FolderEvent> parseInotifyBuffer(const char *data, size_t size)
{
    std::vector<FolderEvent> events;
    size_t at = 0;
    const size_t header = sizeof(inotify_event);
    while (size - at >= header) {
        inotify_event record;
        std::memcpy(&record, data + at, header);  // the buffer need not be aligned
        if (record.len > size - at - header)
            break;
        const char *name = data + at + header;
        const size_t length = strnlen(name, record.len);
        if (record.len > 0 && length == record.len)
            break;  // not terminated inside its record
        events.push_back({record.mask, record.cookie, std::string(name, length)});
        at += header + record.len;
    }
    return events;
}

bool DownloadFolder::isPartial(const std::string &name)
{
    auto endsWith = [&name](const char *suffix) {
        const size_t n = std::strlen(suffix);
        return name.size() > n && name.compare(name.size() - n, n, suffix) == 0;
    };
    return endsWith(".part") || endsWith(".crdownload");
}

std::optional<uint64_t> DownloadFolder::inodeNamed(const std::string &name) const
{
    for (const auto &[inode, known] : downloads_) {
        if (known == name)
            return inode;
    }
    return std::nullopt;
}

void DownloadFolder::ignoreExisting(const Listing &listing, const Lookup &lookup)
{
    for (const auto &name : listing()) {
        if (!isPartial(name))
            continue;
        if (auto inode = lookup(name))
            ignored_.insert(*inode);
    }
}

void DownloadFolder::started(const std::string &name, std::optional<uint64_t> inode, std::vector<Change> &changes)
{
    if (!inode || ignored_.count(*inode))
        return;
    auto it = downloads_.find(*inode);
    if (it != downloads_.end()) {
        it->second = name;
        return;
    }
    if (downloads_.size() >= maxDownloads)
        return;
    downloads_[*inode] = name;
    changes.push_back({Change::Kind::started, *inode});
}

void DownloadFolder::endAll(std::vector<Change> &changes)
{
    for (const auto &entry : downloads_)
        changes.push_back({Change::Kind::cancelled, entry.first});
    downloads_.clear();
}

void DownloadFolder::rescan(const Lookup &lookup, const Listing &listing, std::vector<Change> &changes)
{
    std::map<uint64_t, std::string> present;
    for (const auto &name : listing()) {
        if (auto inode = lookup(name))
            present[*inode] = name;
    }
    for (auto it = downloads_.begin(); it != downloads_.end();) {
        auto found = present.find(it->first);
        if (found != present.end() && isPartial(found->second)) {
            it->second = found->second;
            ++it;
            continue;
        }
        changes.push_back({found != present.end() ? Change::Kind::ended : Change::Kind::cancelled, it->first});
        it = downloads_.erase(it);
    }
    for (const auto &[inode, name] : present) {
        if (isPartial(name))
            started(name, inode, changes);
    }
}

std::vector<DownloadFolder::Change> DownloadFolder::apply(const std::vector<FolderEvent> &events, const Lookup &lookup,
                                                          const Listing &listing)
{
    std::vector<Change> changes;
    if (gone_)
        return changes;
    // Names moved away, by cookie, until their other half arrives; a half that never does left
    // the folder.
    std::map<uint32_t, std::string> movedAway;
    for (const auto &event : events) {
        if (event.mask & IN_Q_OVERFLOW) {
            rescan(lookup, listing, changes);
            continue;
        }
        if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) {
            endAll(changes);
            gone_ = true;
            return changes;
        }
        if (event.mask & IN_ISDIR || event.name.empty())
            continue;
        if (event.mask & IN_CREATE) {
            if (isPartial(event.name))
                started(event.name, lookup(event.name), changes);
        } else if (event.mask & IN_MOVED_FROM) {
            if (movedAway.size() < maxDownloads)
                movedAway[event.cookie] = event.name;
        } else if (event.mask & IN_MOVED_TO) {
            auto from = movedAway.find(event.cookie);
            const auto inode = from != movedAway.end() ? inodeNamed(from->second) : std::nullopt;
            if (from != movedAway.end())
                movedAway.erase(from);
            if (!inode) {
                if (isPartial(event.name))
                    started(event.name, lookup(event.name), changes);  // moved in from elsewhere
                continue;
            }
            if (isPartial(event.name)) {
                downloads_[*inode] = event.name;  // "Unconfirmed 1.crdownload" -> "name.crdownload"
            } else {
                downloads_.erase(*inode);
                changes.push_back({Change::Kind::ended, *inode});
            }
        } else if (event.mask & IN_DELETE) {
            if (auto inode = inodeNamed(event.name)) {
                downloads_.erase(*inode);
                changes.push_back({Change::Kind::cancelled, *inode});
            }
        }
    }
    for (const auto &entry : movedAway) {
        if (auto inode = inodeNamed(entry.second)) {
            downloads_.erase(*inode);
            changes.push_back({Change::Kind::cancelled, *inode});
        }
    }
    return changes;
}

}  // namespace vesk
