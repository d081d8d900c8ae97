#include "Platform/AtomicFile.h"

#include "Base/FileDescriptor.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

std::function<void(const std::string &)> &beforeReplacing()
{
    static std::function<void(const std::string &)> hook;
    return hook;
}
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

void setAtomicWriteHookForTesting(std::function<void(const std::string &target)> hook) { beforeReplacing() = std::move(hook); }

namespace {

// Writes `bytes` with `mode` to a new temporary file beside `path` and syncs it; its name goes to
// `temp`. Returns an empty string on success, else a reason (and no temporary file is left).
std::string writeTemporary(const std::string &path, std::string_view bytes, unsigned mode, std::string &temp)
{
    if (!makeParents(path))
        return "cannot create the folder of " + path + ": " + std::strerror(errno);
    temp = path + tempSuffix + std::string(tempRandomLength, 'X');
    FileDescriptor fd(::mkstemp(temp.data()));
    if (!fd)
        return "cannot create " + temp + ": " + std::strerror(errno);
    auto fail = [&](const std::string &what) {
        std::string reason = what + ": " + std::strerror(errno);
        fd.reset();
        ::unlink(temp.c_str());
        return reason;
    };
    if (::fchmod(fd.get(), mode) != 0)
        return fail("cannot set the mode of " + temp);
    size_t limit = bytes.size();
    if (faultAfter >= 0 && size_t(faultAfter) < limit)
        limit = size_t(faultAfter);
    size_t written = 0;
    while (written < limit) {
        ssize_t n = ::write(fd.get(), bytes.data() + written, limit - written);
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
    if (::fsync(fd.get()) != 0)
        return fail("cannot sync " + temp);
    if (!fd.close()) {
        ::unlink(temp.c_str());
        return "cannot close " + temp + ": " + std::strerror(errno);
    }
    return {};
}

// What stands at `path` now, as a swap compares it: absent, or its bytes (an error when they
// cannot be read or are more than `limit`).
std::optional<FileBytes> standing(const std::string &path, size_t limit)
{
    FileBytes bytes = readRegularFile(path, limit);
    if (bytes.error == ENOENT)
        return std::nullopt;
    return bytes;
}

bool same(const std::optional<FileBytes> &found, const std::optional<std::string> &expected)
{
    if (!found || !expected)
        return !found && !expected;
    return found->error == 0 && found->bytes == *expected;
}

}  // namespace

std::string writeFileAtomically(const std::string &link, std::string_view bytes, unsigned mode)
{
    // Renaming over a link would replace the link itself with a regular file.
    return replaceFileAtomically(atomicWriteTarget(link), bytes, mode);
}

std::string replaceFileAtomically(const std::string &path, std::string_view bytes, unsigned mode)
{
    std::string temp;
    if (std::string reason = writeTemporary(path, bytes, mode, temp); !reason.empty())
        return reason;
    if (beforeReplacing())
        beforeReplacing()(path);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        std::string reason = "cannot replace " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return reason;
    }
    return {};
}

FileSwap FileSwap::swap(const std::string &link, std::string_view bytes, unsigned mode, size_t limit,
                        const std::optional<std::string> &expected)
{
    FileSwap result;
    result.target_ = atomicWriteTarget(link);
    result.error_ = writeTemporary(result.target_, bytes, mode, result.temp_);
    if (!result.error_.empty())
        return result;
    const char *temp = result.temp_.c_str(), *target = result.target_.c_str();
    result.ours_ = bytes;
    // Writing and syncing took a while: a save made meanwhile is seen here, before anything is
    // swapped. What remains is the moment from here to the exchange, which the exchange itself
    // reveals.
    if (const auto now = standing(result.target_, limit); !same(now, expected)) {
        result.changed_ = true;
        result.existed_ = now.has_value();
        result.previous_ = now.value_or(FileBytes{});
        ::unlink(temp);
        result.temp_.clear();
        return result;
    }
    if (beforeReplacing())
        beforeReplacing()(result.target_);
    // Nothing there: ours goes in only while that lasts. Something there: the two trade places, so
    // that what stood there at that instant stays readable under the temporary name.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (::renameat2(AT_FDCWD, temp, AT_FDCWD, target, RENAME_NOREPLACE) == 0) {
            result.swapped_ = true;
            result.temp_.clear();
            result.changed_ = expected.has_value();
            return result;
        }
        if (errno != EEXIST)
            break;
        if (::renameat2(AT_FDCWD, temp, AT_FDCWD, target, RENAME_EXCHANGE) == 0) {
            result.swapped_ = result.existed_ = true;
            result.previous_ = readRegularFile(result.temp_, limit);
            result.changed_ = !same(result.previous_, expected);
            return result;
        }
        if (errno != ENOENT)
            break;
    }
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system that cannot exchange two files: replaced as writeFileAtomically does,
        // checked only as far as the look before.
        if (::rename(temp, target) == 0) {
            result.temp_.clear();
            return result;
        }
    }
    result.error_ = "cannot replace " + result.target_ + ": " + std::strerror(errno);
    ::unlink(temp);
    result.temp_.clear();
    return result;
}

FileSwap::FileSwap(FileSwap &&other) noexcept
    : target_(std::move(other.target_)), temp_(std::exchange(other.temp_, {})), ours_(std::move(other.ours_)),
      error_(std::move(other.error_)), swapped_(std::exchange(other.swapped_, false)), existed_(other.existed_),
      changed_(other.changed_), previous_(std::move(other.previous_))
{
}

FileSwap::~FileSwap() { keep(); }

void FileSwap::keep()
{
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

void FileSwap::undo()
{
    if (!swapped_)
        return;
    swapped_ = false;
    const char *target = target_.c_str();
    if (!existed_) {
        // Ours was the first file there: take it out again, unless another save replaced it.
        const std::string out = target_ + tempSuffix + "undone";
        if (::renameat2(AT_FDCWD, target, AT_FDCWD, out.c_str(), RENAME_NOREPLACE) != 0)
            return;
        const FileBytes back = readRegularFile(out, ours_.size());
        if (back.error == 0 && back.bytes == ours_)
            ::unlink(out.c_str());
        else
            ::renameat2(AT_FDCWD, out.c_str(), AT_FDCWD, target, RENAME_NOREPLACE);
        return;
    }
    if (temp_.empty() || ::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target, RENAME_EXCHANGE) != 0)
        return;
    // What comes out now is ours, or a save made over ours a moment ago: that one is the newest,
    // and goes back.
    const FileBytes back = readRegularFile(temp_, ours_.size());
    if (back.error != 0 || back.bytes != ours_)
        ::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target, RENAME_EXCHANGE);
    keep();
}

}  // namespace vesk
