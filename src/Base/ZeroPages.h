#pragma once

#include <cstddef>

namespace vesk {

// Gives back to the system the whole memory pages inside [data, data + bytes) that hold only
// zeros, and returns how many bytes that was. The memory reads exactly as before: a page handed
// back reads as zeros, and is taken again when something is written to it. Pages only partly
// inside the range are kept, whatever they hold.
//
// For large, mostly transparent pictures kept for the life of a window (a transparent pixel is
// all zeros): their empty rows then cost no resident memory. The memory must be private and
// anonymous (from malloc or an anonymous mapping), never a file's or a shared mapping.
std::size_t releaseZeroPages(void *data, std::size_t bytes);

}  // namespace vesk
