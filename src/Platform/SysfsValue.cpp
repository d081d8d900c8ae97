#include "Platform/SysfsValue.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

std::optional<std::string> readSysfsValue(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // One byte more than the cap tells an oversized file from one that just fits.
    std::string text(maxSysfsValue + 1, '\0');
    size_t used = 0;
    while (used < text.size()) {
        const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        used += size_t(got);
    }
    ::close(fd);
    if (used > maxSysfsValue)
        return std::nullopt;
    text.resize(used);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.pop_back();
    return text;
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
