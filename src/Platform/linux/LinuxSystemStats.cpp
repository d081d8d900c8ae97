#include "Platform/linux/LinuxSystemStats.h"

#include "Platform/SysfsValue.h"
#include "Platform/linux/ProcParsers.h"

#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vesk {

namespace {

// The whole of a small kernel file, or nothing when it cannot be read. Files larger than the cap
// are refused rather than read in part.
std::optional<std::string> readFile(const std::string &path, size_t cap = 1 << 20)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        text.append(buffer, size_t(n));
        if (text.size() > cap) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return text;
}

std::optional<int64_t> readSigned(const std::string &path)
{
    const auto text = readSysfsValue(path);
    return text ? parseSysfsInteger(*text) : std::nullopt;
}

std::string readWord(const std::string &path) { return readSysfsValue(path).value_or(""); }

std::string joined(const std::string &root, const std::string &path)
{
    if (root.empty() || root == "/")
        return path;
    return (root.back() == '/' ? root.substr(0, root.size() - 1) : root) + path;
}

}  // namespace

LinuxSystemStats::LinuxSystemStats(std::string root) : root_(std::move(root))
{
    if (const auto text = readFile(joined(root_, "/proc/meminfo")))
        if (const auto info = proc::parseMeminfo(*text))
            memoryTotal_ = info->total;
    findZones();
}

std::optional<SystemStatsSource::CpuTicks> LinuxSystemStats::cpuTicks()
{
    const auto text = readFile(joined(root_, "/proc/stat"));
    const auto stat = text ? proc::parseStat(*text) : std::nullopt;
    if (!stat)
        return std::nullopt;
    processors_ = stat->processors;
    return CpuTicks{stat->busy, stat->total};
}

int LinuxSystemStats::processorCount()
{
    if (processors_ == 0)
        cpuTicks();
    return processors_;
}

std::optional<uint64_t> LinuxSystemStats::memoryUsed()
{
    const auto text = readFile(joined(root_, "/proc/meminfo"));
    const auto info = text ? proc::parseMeminfo(*text) : std::nullopt;
    if (!info || info->available > info->total)
        return std::nullopt;
    return info->total - info->available;
}

std::optional<SystemStatsSource::Disk> LinuxSystemStats::disk()
{
    struct statvfs fs {};
    if (::statvfs(root_.empty() ? "/" : root_.c_str(), &fs) != 0)
        return std::nullopt;
    const auto total = proc::multiply(fs.f_blocks, fs.f_frsize);
    const auto available = proc::multiply(fs.f_bavail, fs.f_frsize);
    constexpr uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max());
    if (!total || !available || *total > limit || *available > limit)
        return std::nullopt;
    return Disk{int64_t(*total), int64_t(*available)};
}

std::optional<SystemStatsSource::NetworkBytes> LinuxSystemStats::networkBytes()
{
    const auto text = readFile(joined(root_, "/proc/net/dev"));
    const auto bytes = text ? proc::parseNetDev(*text) : std::nullopt;
    if (!bytes)
        return std::nullopt;
    return NetworkBytes{bytes->down, bytes->up};
}

void LinuxSystemStats::findZones()
{
    // Zones and their trip types are fixed by the drivers; temperatures and modes are read each time.
    const std::string base = joined(root_, "/sys/class/thermal");
    for (const auto &name : listFolder(base)) {
        if (!name.starts_with("thermal_zone"))
            continue;
        const std::string dir = base + "/" + name;
        Zone zone{SysfsAttribute(dir + "/mode"), SysfsAttribute(dir + "/temp"), {}};
        for (const auto &file : listFolder(dir)) {
            if (!file.starts_with("trip_point_") || !file.ends_with("_type"))
                continue;
            const std::string stem = file.substr(0, file.size() - 5);
            const std::string type = readWord(dir + "/" + file);
            Thermal level;
            if (type == "critical" || type == "hot")
                level = Thermal::critical;
            else if (type == "passive")
                level = Thermal::serious;  // where the kernel starts throttling
            else if (type == "active")
                level = Thermal::fair;
            else
                continue;
            zone.trips.push_back({SysfsAttribute(dir + "/" + stem + "_temp"), level});
        }
        zones_.push_back(std::move(zone));
    }
}

SystemStatsSource::Thermal LinuxSystemStats::thermal()
{
    Thermal worst = Thermal::nominal;
    for (auto &zone : zones_) {
        if (zone.mode.read() == "disabled")
            continue;
        const auto temp = zone.temp.readInteger();
        if (!temp)
            continue;
        for (auto &trip : zone.trips) {
            if (trip.level <= worst)
                continue;
            const auto at = trip.temp.readInteger();
            // Trips at 0 °C or below are drivers' placeholders, not limits.
            if (at && *at > 0 && *temp >= *at)
                worst = trip.level;
        }
    }
    return worst;
}

std::optional<SystemStatsSource::Battery> LinuxSystemStats::battery() { return readSysfsBattery(joined(root_, "/sys")); }

double LinuxSystemStats::batteryTimeLeft()
{
    std::string dir;
    const auto reading = readSysfsBattery(joined(root_, "/sys"), &dir);
    if (!reading)
        return -1;
    if (reading->pluggedIn)
        return -2;
    if (const auto seconds = readSigned(dir + "/time_to_empty_now"); seconds && *seconds > 0)
        return double(*seconds);
    for (auto [amount, rate] : {std::pair{"/energy_now", "/power_now"}, std::pair{"/charge_now", "/current_now"}}) {
        const auto a = readSigned(dir + amount);
        const auto r = readSigned(dir + rate);
        if (a && r && *a != 0 && *r != 0)
            return std::fabs(double(*a)) / std::fabs(double(*r)) * 3600.0;
    }
    return -1;
}

}  // namespace vesk
