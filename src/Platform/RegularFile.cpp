#include "Platform/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vesk {

RegularFile RegularFile::open(const std::string &path)
{
    RegularFile file;
    file.fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!file.fd) {
        file.error = errno;
        return file;
    }
    if (::fstat(file.fd.get(), &file.info) != 0)
        file.error = errno;
    else if (!S_ISREG(file.info.st_mode))
        file.error = S_ISDIR(file.info.st_mode) ? EISDIR : EINVAL;
    if (file.error != 0)
        file.fd.reset();
    return file;
}

FileBytes readRegularFile(const std::string &path, size_t limit)
{
    FileBytes result;
    const RegularFile file = RegularFile::open(path);
    if (file.error != 0) {
        result.error = file.error;
        return result;
    }
    if (uint64_t(file.info.st_size) > limit) {
        result.error = EFBIG;
        return result;
    }
    // Read on to one byte past the limit rather than trusting the size: the file may be growing.
    const size_t most = limit + 1;
    result.bytes.resize(std::min(size_t(file.info.st_size) + 1, most));
    size_t length = 0;
    for (;;) {
        if (length == result.bytes.size()) {
            if (length == most)
                break;
            result.bytes.resize(std::min(length * 2, most));
        }
        const ssize_t n = ::read(file.fd.get(), result.bytes.data() + length, result.bytes.size() - length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.error = errno;
            result.bytes.clear();
            return result;
        }
        if (n == 0)
            break;
        length += size_t(n);
    }
    if (length > limit) {
        result.error = EFBIG;
        result.bytes.clear();
        return result;
    }
    result.bytes.resize(length);
    return result;
}

std::string readFileRange(int fd, uint64_t from, size_t length)
{
    std::string bytes(length, '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, off_t(from + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += size_t(n);
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace vesk
