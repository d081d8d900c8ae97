#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Reading the small attribute files of /sys (and of fake trees in tests) without trusting them:
// only regular files, opened without blocking, at most `maxSysfsValue` bytes, trailing white space
// trimmed. A missing, special, oversized or unreadable file reads as none.
constexpr size_t maxSysfsValue = 4096;
std::optional<std::string> readSysfsValue(const std::string &path);

// One attribute read again and again (a thermal zone's temperature, several times a minute): the
// file stays open and each read is one pread from the start, which sysfs answers with the value
// of that moment. The same checks as readSysfsValue; a failed open or read is tried afresh the
// next time, so an attribute that comes back later is found again.
class SysfsAttribute {
public:
    explicit SysfsAttribute(std::string path) : path_(std::move(path)) {}
    ~SysfsAttribute();
    SysfsAttribute(SysfsAttribute &&other) noexcept;
    SysfsAttribute &operator=(SysfsAttribute &&other) noexcept;
    SysfsAttribute(const SysfsAttribute &) = delete;
    SysfsAttribute &operator=(const SysfsAttribute &) = delete;

    std::optional<std::string> read();
    std::optional<int64_t> readInteger();
    const std::string &path() const { return path_; }

private:
    void close();
    std::string path_;
    int fd_ = -1;
};

// A decimal integer as sysfs writes it ("42", "-3"), nothing else; none for empty text, other
// characters or a value outside 64 bits.
std::optional<int64_t> parseSysfsInteger(std::string_view text);

// The names in a folder, sorted, without "." and ".."; none when it cannot be listed.
std::vector<std::string> listFolder(const std::string &path);

}  // namespace vesk
