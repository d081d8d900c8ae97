#include "Platform/linux/SysfsBacklight.h"

#include "Platform/InstalledService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {

const QString login1 = QStringLiteral("org.freedesktop.login1");

int typeRank(const std::optional<std::string> &type)
{
    if (type == "firmware")
        return 0;
    if (type == "platform")
        return 1;
    if (type == "raw")
        return 2;
    return -1;
}

}  // namespace

std::string chooseBacklight(const std::string &sysRoot)
{
    const std::string folder = sysRoot + "/class/backlight";
    std::string best;
    int bestRank = 3;
    for (const auto &name : listFolder(folder)) {  // sorted: the first of a rank wins a tie
        const int rank = typeRank(readSysfsValue(folder + "/" + name + "/type"));
        if (rank >= 0 && rank < bestRank) {
            bestRank = rank;
            best = folder + "/" + name;
        }
    }
    return best;
}

SysfsBacklight::SysfsBacklight(std::string sysRoot, bool useLogind)
    : folder_(chooseBacklight(sysRoot)), useLogind_(useLogind), actual_(std::string()), max_(std::string())
{
    if (folder_.empty())
        return;
    name_ = folder_.substr(folder_.rfind('/') + 1);
    const bool hasActual = bool(readSysfsValue(folder_ + "/actual_brightness"));
    actual_ = SysfsAttribute(folder_ + (hasActual ? "/actual_brightness" : "/brightness"));
    max_ = SysfsAttribute(folder_ + "/max_brightness");
}

std::optional<int64_t> SysfsBacklight::maximum() const
{
    if (knownMax_)
        return knownMax_;
    const auto max = max_.readInteger();
    if (!max || *max <= 0)
        return std::nullopt;
    knownMax_ = max;
    return max;
}

std::optional<int64_t> SysfsBacklight::current() const
{
    const auto value = actual_.readInteger();
    if (!value || *value < 0)
        return std::nullopt;
    return value;
}

std::optional<float> SysfsBacklight::level() const
{
    if (folder_.empty())
        return std::nullopt;
    const auto max = maximum();
    const auto value = max ? current() : std::nullopt;
    if (!value)
        return std::nullopt;
    return std::min(1.0f, float(*value) / float(*max));
}

int64_t SysfsBacklight::rawValue(float level, int direction, int64_t current, int64_t max)
{
    int64_t value = std::llround(double(std::clamp(level, 0.0f, 1.0f)) * double(max));
    if (max <= coarseSteps) {
        if (direction > 0 && value <= current)
            value = current + 1;
        else if (direction < 0 && value >= current)
            value = current - 1;
    }
    return std::clamp<int64_t>(value, 0, max);
}

bool SysfsBacklight::logindRuns() const
{
    if (!useLogind_)
        return false;
    auto bus = QDBusConnection::systemBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(login1).value();
}

bool SysfsBacklight::canWrite() const
{
    if (folder_.empty())
        return false;
    return logindRuns() || ::access((folder_ + "/brightness").c_str(), W_OK) == 0;
}

std::optional<float> SysfsBacklight::setLevel(float level, int direction)
{
    const auto max = folder_.empty() ? std::nullopt : maximum();
    if (!max)
        return std::nullopt;
    const int64_t value = rawValue(level, direction, current().value_or(0), *max);
    const bool written = logindRuns() ? writeLogind(value) : writeFile(value);
    if (!written)
        return std::nullopt;
    return float(value) / float(*max);
}

bool SysfsBacklight::writeLogind(int64_t value) const
{
    auto message = QDBusMessage::createMethodCall(login1, QStringLiteral("/org/freedesktop/login1/session/auto"),
                                                  QStringLiteral("org.freedesktop.login1.Session"),
                                                  QStringLiteral("SetBrightness"));
    message << QStringLiteral("backlight") << QString::fromStdString(name_) << uint32_t(value);
    const auto reply = QDBusConnection::systemBus().call(message, QDBus::Block, logindTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool SysfsBacklight::writeFile(int64_t value) const
{
    const int fd = ::open((folder_ + "/brightness").c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        const std::string text = std::to_string(value) + "\n";
        ssize_t written;
        do
            written = ::write(fd, text.data(), text.size());
        while (written < 0 && errno == EINTR);
        ok = written == ssize_t(text.size());
    }
    ::close(fd);
    return ok;
}

namespace {
InstalledService<Backlight, SysfsBacklight> installed;
}

Backlight &backlight() { return installed.get(); }
void setBacklight(Backlight *service) { installed.install(service); }

}  // namespace vesk
