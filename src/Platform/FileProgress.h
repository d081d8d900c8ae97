#pragma once

#include "Base/Signal.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vesk {

// A file operation in progress that another program publishes for a file in a folder. Its
// publisher updates it in place; readers look at it when they like (it is not observed).
struct FileProgress {
    int64_t total = 0;
    int64_t completed = 0;
    bool indeterminate = true;
    bool cancelled = false;
    // "downloading", "copying" and so on; none when the publisher names no kind.
    std::optional<std::string> kind;

    static constexpr const char *downloading = "downloading";
};

// The file progress published for a folder. On Linux browsers publish none: a download is a
// partial file (`*.part`, `*.crdownload`) that appears in the folder while it is watched, of
// unknown size, ended by its rename to the final name (completed) or by its removal (cancelled).
// Main thread only.
class FileProgressSource {
public:
    using Handler = std::function<void(std::shared_ptr<const FileProgress>)>;
    virtual ~FileProgressSource() = default;

    // The user's download folder; none when there is none.
    virtual std::optional<std::string> downloadsFolder() const = 0;
    // Calls `published` with each progress that starts in `folder` from now on, and `unpublished`
    // with the same object when it ends. The subscription ends when the connection does; an empty
    // connection when the folder cannot be watched.
    virtual Connection subscribe(const std::string &folder, Handler published, Handler unpublished) = 0;
};

// The installed service: the inotify watch unless a test or tool installed another.
FileProgressSource &fileProgress();
void setFileProgress(FileProgressSource *service);  // nullptr restores the real one

}  // namespace vesk
