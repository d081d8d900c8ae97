#include "Platform/SysfsValue.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {

// Opens a regular file for reading without blocking; -1 for anything else.
int openRegular(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The value from the start of the file: none when unreadable or longer than the cap.
std::optional<std::string> readFrom(int fd)
{
    // One byte more than the cap tells an oversized file from one that just fits.
    char buffer[maxSysfsValue + 1];
    size_t used = 0;
    while (used < sizeof buffer) {
        const ssize_t got = ::pread(fd, buffer + used, sizeof buffer - used, off_t(used));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        used += size_t(got);
        // sysfs hands over a whole value in one read, and a shorter read of a regular file means
        // its end: no second call to learn what the first already told.
        if (used < sizeof buffer)
            break;
    }
    if (used > maxSysfsValue)
        return std::nullopt;
    std::string text(buffer, used);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.pop_back();
    return text;
}

}  // namespace

std::optional<std::string> readSysfsValue(const std::string &path)
{
    const int fd = openRegular(path);
    if (fd < 0)
        return std::nullopt;
    auto text = readFrom(fd);
    ::close(fd);
    return text;
}

SysfsAttribute::~SysfsAttribute() { close(); }

SysfsAttribute::SysfsAttribute(SysfsAttribute &&other) noexcept : path_(std::move(other.path_)), fd_(other.fd_)
{
    other.fd_ = -1;
}

SysfsAttribute &SysfsAttribute::operator=(SysfsAttribute &&other) noexcept
{
    if (this != &other) {
        close();
        path_ = std::move(other.path_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void SysfsAttribute::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::optional<std::string> SysfsAttribute::read()
{
    if (fd_ < 0)
        fd_ = openRegular(path_);
    if (fd_ < 0)
        return std::nullopt;
    auto text = readFrom(fd_);
    if (!text)
        close();
    return text;
}

std::optional<int64_t> SysfsAttribute::readInteger()
{
    const auto text = read();
    return text ? parseSysfsInteger(*text) : std::nullopt;
}

std::optional<int64_t> parseSysfsInteger(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::vector<std::string> listFolder(const std::string &path)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(path.c_str());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vesk
