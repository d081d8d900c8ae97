#pragma once

#include "Base/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/stat.h>

namespace vesk {

// A file another program may have put in our way is opened without blocking and taken only when
// the descriptor itself is a regular file: a FIFO, a device or a socket at the path (or one renamed
// over it between a look at the name and the open) is refused at once instead of stalling the
// main thread for good.
struct RegularFile {
    FileDescriptor fd;
    struct stat info {};  // of the open descriptor
    int error = 0;        // 0 when open; else errno, EISDIR for a folder, EINVAL for other kinds

    static RegularFile open(const std::string &path);
};

// A whole regular file of at most `limit` bytes; `error` is EFBIG when it is (or grows while it is
// read) larger, else as RegularFile's.
struct FileBytes {
    int error = 0;
    std::string bytes;
};
FileBytes readRegularFile(const std::string &path, size_t limit);

// The bytes [from, from + length) of an open file; short at its end or where it shrank meanwhile.
std::string readFileRange(int fd, uint64_t from, size_t length);

}  // namespace vesk
