#pragma once

#include <cstddef>

namespace vesk {

// Takes out of the process's resident set every page it maps from a file unchanged: the code and
// read-only data of the program and its libraries, font files, the font and locale caches. Start-up
// runs a great deal of code once (the toolkit connecting to the display, libraries setting
// themselves up, the first layout), and the kernel maps a file's neighbouring pages along with each
// one read, so most of what such mappings hold resident afterwards is never used again. The pages
// stay in the system's file cache: whatever runs again maps them back on its first use, at the
// cost of a minor fault.
//
// Only mappings that are not writable and hold no private copy of a page are touched, so nothing
// the process changed (relocated data made read-only afterwards, say) is lost. Returns the bytes
// that were resident in the mappings released.
std::size_t releaseUnchangedFilePages();

}  // namespace vesk
