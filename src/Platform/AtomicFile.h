#pragma once

#include <string>
#include <string_view>

namespace vesk {

// Replaces a file's contents all at once: the bytes go to a temporary file beside it, are synced,
// given `mode`, and renamed over the target. A write that fails or is interrupted at any point
// leaves the previous file whole. Missing parent folders are created (mode 0700).
// Returns an empty string on success, else a reason.
std::string writeFileAtomically(const std::string &path, std::string_view bytes, unsigned mode = 0600);

// Tests make the next writes fail after `bytes` bytes of the temporary file (-1: never).
void setAtomicWriteFaultForTesting(long bytes);

}  // namespace vesk
