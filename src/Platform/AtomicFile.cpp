#include "Platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {
long faultAfter = -1;

bool makeParents(const std::string &path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string dir = path.substr(0, slash);
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}
}  // namespace

void setAtomicWriteFaultForTesting(long bytes) { faultAfter = bytes; }

std::string writeFileAtomically(const std::string &path, std::string_view bytes, unsigned mode)
{
    if (!makeParents(path))
        return "cannot create the folder of " + path + ": " + std::strerror(errno);
    std::string temp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return "cannot create " + temp + ": " + std::strerror(errno);
    auto fail = [&](const std::string &what) {
        std::string reason = what + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(temp.c_str());
        return reason;
    };
    if (::fchmod(fd, mode) != 0)
        return fail("cannot set the mode of " + temp);
    size_t limit = bytes.size();
    if (faultAfter >= 0 && size_t(faultAfter) < limit)
        limit = size_t(faultAfter);
    size_t written = 0;
    while (written < limit) {
        ssize_t n = ::write(fd, bytes.data() + written, limit - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("cannot write " + temp);
        written += size_t(n);
    }
    if (written < bytes.size()) {
        errno = EIO;
        return fail("cannot write " + temp);
    }
    if (::fsync(fd) != 0)
        return fail("cannot sync " + temp);
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        return "cannot close " + temp + ": " + std::strerror(errno);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        std::string reason = "cannot replace " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return reason;
    }
    return {};
}

}  // namespace vesk
