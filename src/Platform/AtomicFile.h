#pragma once

#include "Platform/RegularFile.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vesk {

// Replaces a file's contents all at once: the bytes go to a temporary file beside it, are synced,
// given `mode`, and renamed over the target. A write that fails or is interrupted at any point
// leaves the previous file whole. Missing parent folders are created (mode 0700). When `path` is a
// symbolic link (a dotfile manager's, say) the link stays and its final target is replaced: the
// temporary file and the rename happen beside that target.
// Returns an empty string on success, else a reason.
std::string writeFileAtomically(const std::string &path, std::string_view bytes, unsigned mode = 0600);

// The same, for files whose name is ours alone (an autostart entry, a snapshot): a symbolic link
// at `path` is replaced by the new file, and whatever it pointed to stays as it was.
std::string replaceFileAtomically(const std::string &path, std::string_view bytes, unsigned mode = 0600);

// A write into a file another program may save at the same time. swap() writes as
// writeFileAtomically does; then, when the file no longer holds `expected` (what the caller read
// and merged into; nothing for no file), it swaps nothing. Otherwise the new file trades places
// with the old one in a single step (a missing file is created only while it is still missing),
// and what the old one held at that very instant is read back (without blocking, at most `limit`
// bytes). Either way changed() tells whether another program saved the file since the caller read
// it, and previous() holds what it saved; after a swap, undo() then puts that program's file back
// whole (the same file, its mode and owner with it) instead of losing it, and the caller merges
// again.
class FileSwap {
public:
    static FileSwap swap(const std::string &path, std::string_view bytes, unsigned mode, size_t limit,
                         const std::optional<std::string> &expected);
    FileSwap(FileSwap &&other) noexcept;
    FileSwap &operator=(FileSwap &&) = delete;
    ~FileSwap();  // keeps the swap

    const std::string &error() const { return error_; }  // empty on success; nothing changed otherwise
    bool changed() const { return changed_; }
    bool existed() const { return existed_; }  // a file stood there and previous() holds it
    const FileBytes &previous() const { return previous_; }

    // Drops what came out.
    void keep();
    // Puts what came out back in place of ours; a save another program made over ours meanwhile
    // stays instead, being newer still. Nothing when nothing was swapped.
    void undo();

private:
    FileSwap() = default;
    std::string target_, temp_, ours_;
    std::string error_;
    bool swapped_ = false;
    bool existed_ = false;
    bool changed_ = false;
    FileBytes previous_;
};

// The file a write to `path` replaces: `path` itself, or the final target of the symbolic links it
// names (a dangling link's target included).
std::string atomicWriteTarget(const std::string &path);

// Removes the temporary files that writes to `path` left behind when the process was killed
// between creating and renaming them.
void removeStaleAtomicWrites(const std::string &path);

// Tests make the next writes fail after `bytes` bytes of the temporary file (-1: never).
void setAtomicWriteFaultForTesting(long bytes);
// Tests run `hook` with the target's path once a write's temporary file is complete, just before it
// replaces the target: another program's save at the worst moment. nullptr removes it.
void setAtomicWriteHookForTesting(std::function<void(const std::string &target)> hook);

}  // namespace vesk
