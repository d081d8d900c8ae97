#include "Platform/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
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
constexpr const char *tempSuffix = ".tmp-";
constexpr size_t tempRandomLength = 6;  // mkstemp's XXXXXX
}  // namespace

std::string atomicWriteTarget(const std::string &path)
{
    std::string target = path;
    // The kernel's own limit on links followed in one lookup.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return target;
        std::string link(size_t(PATH_MAX), '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n <= 0)
            return target;
        link.resize(size_t(n));
        if (link.front() == '/') {
            target = link;
        } else {
            const auto slash = target.rfind('/');
            target = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
        }
    }
    return target;
}

void removeStaleAtomicWrites(const std::string &path)
{
    const std::string target = atomicWriteTarget(path);
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
    const std::string prefix = target.substr(slash == std::string::npos ? 0 : slash + 1) + tempSuffix;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() == prefix.size() + tempRandomLength && name.compare(0, prefix.size(), prefix) == 0)
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

void setAtomicWriteFaultForTesting(long bytes) { faultAfter = bytes; }

std::string writeFileAtomically(const std::string &link, std::string_view bytes, unsigned mode)
{
    // Renaming over a link would replace the link itself with a regular file.
    const std::string path = atomicWriteTarget(link);
    if (!makeParents(path))
        return "cannot create the folder of " + path + ": " + std::strerror(errno);
    std::string temp = path + tempSuffix + std::string(tempRandomLength, 'X');
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
