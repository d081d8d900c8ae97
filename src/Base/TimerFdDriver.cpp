#include "Base/TimerFdDriver.h"

#include "Base/MainQueue.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cmath>
#include <sys/timerfd.h>
#include <unistd.h>

namespace vesk {

namespace {
itimerspec absolute(double seconds)
{
    itimerspec spec{};
    double whole = std::floor(seconds);
    spec.it_value.tv_sec = time_t(whole);
    spec.it_value.tv_nsec = long((seconds - whole) * 1e9);
    if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0)
        spec.it_value.tv_nsec = 1;  // an all-zero value would disarm; this instant has passed, so it fires at once
    return spec;
}
}  // namespace

TimerFdDriver::TimerFdDriver(MainQueue &queue) : queue_(queue)
{
    monoFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    wallFd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    scheduleChanged_ = queue_.scheduleChanged.connect([this] { arm(); });
}

TimerFdDriver::~TimerFdDriver()
{
    monoNotifier_.reset();
    wallNotifier_.reset();
    if (monoFd_ >= 0)
        ::close(monoFd_);
    if (wallFd_ >= 0)
        ::close(wallFd_);
}

bool TimerFdDriver::ensureNotifiers()
{
    if (monoNotifier_)
        return true;
    if (!QCoreApplication::instance() || monoFd_ < 0 || wallFd_ < 0)
        return false;
    monoNotifier_ = std::make_unique<QSocketNotifier>(monoFd_, QSocketNotifier::Read);
    wallNotifier_ = std::make_unique<QSocketNotifier>(wallFd_, QSocketNotifier::Read);
    QObject::connect(monoNotifier_.get(), &QSocketNotifier::activated, [this] { fire(monoFd_); });
    QObject::connect(wallNotifier_.get(), &QSocketNotifier::activated, [this] { fire(wallFd_); });
    return true;
}

void TimerFdDriver::arm()
{
    if (firing_ || !ensureNotifiers())
        return;
    auto mono = queue_.nextMonotonicDeadline();
    if (mono && *mono > queue_.clock().now())
        mono = queue_.lastMonotonicDeadlineWithin(slack);
    set(monoFd_, TFD_TIMER_ABSTIME, mono, monoArmed_);
    set(wallFd_, TFD_TIMER_ABSTIME, queue_.nextWallDeadline(), wallArmed_);
}

void TimerFdDriver::set(int fd, int flags, const std::optional<double> &at, Armed &armed)
{
    if (armed.known && armed.at == at)
        return;
    const itimerspec spec = at ? absolute(*at) : itimerspec{};
    armed = {timerfd_settime(fd, flags, &spec, nullptr) == 0, at};
}

void TimerFdDriver::fire(int fd)
{
    uint64_t expirations = 0;
    while (::read(fd, &expirations, sizeof expirations) < 0 && errno == EINTR) {
    }
    // It has expired: whatever comes next must be set again.
    (fd == monoFd_ ? monoArmed_ : wallArmed_) = {};
    firing_ = true;
    queue_.runDue();
    firing_ = false;
    arm();
}

}  // namespace vesk
