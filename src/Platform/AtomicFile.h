#pragma once

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

// The file a write to `path` replaces: `path` itself, or the final target of the symbolic links it
// names (a dangling link's target included).
std::string atomicWriteTarget(const std::string &path);

// Removes the temporary files that writes to `path` left behind when the process was killed
// between creating and renaming them.
void removeStaleAtomicWrites(const std::string &path);

// Tests make the next writes fail after `bytes` bytes of the temporary file (-1: never).
void setAtomicWriteFaultForTesting(long bytes);

}  // namespace vesk
