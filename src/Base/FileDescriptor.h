#pragma once

#include <unistd.h>
#include <utility>

namespace vesk {

// Owns one open file descriptor and closes it when it goes, so that every return of a function
// that reads or writes with POSIX calls closes what it opened. Move-only; -1 holds nothing.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor &&other) noexcept : fd_(other.release()) {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

    // Hands the descriptor over without closing it.
    int release() { return std::exchange(fd_, -1); }
    // Closes the one held, if any, and holds `fd` instead.
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now and says whether the system reported the close done (a write whose data the
    // file system could not keep fails here).
    bool close()
    {
        const int fd = release();
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_ = -1;
};

}  // namespace vesk
