#include "Readouts/CountdownTimer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vesk {

static double wallNow()
{
    return appClock().wallNow();
}

double CountdownTimer::elapsedAt(double date) const
{
    if (const auto &anchor = anchor_.get())
        return std::max(0.0, date - *anchor);
    return banked_.get();
}

std::string CountdownTimer::text(double date) const
{
    double value = mode_.get() == Mode::stopwatch ? std::floor(elapsedAt(date))
                                                  : std::ceil(std::max(0.0, duration_.get() - elapsedAt(date)));
    const long long s = static_cast<long long>(value);
    char buffer[32];
    if (s < 3600)
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld", s / 60, s % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", s / 3600, (s % 3600) / 60, s % 60);
    return buffer;
}

void CountdownTimer::start()
{
    if (isRunning_.peek())
        return;
    if (mode_.peek() == Mode::timer && banked_.peek() >= duration_.peek())
        banked_ = 0.0;
    const double now = wallNow();
    anchor_ = now - banked_.peek();
    isRunning_ = true;
    if (onRunningChange)
        onRunningChange();
    // The callback may have stopped us again; only a run still in progress gets its finish.
    if (mode_.peek() == Mode::timer && isRunning_.peek())
        finishTask_ = mainQueue().at(now + (duration_.peek() - banked_.peek()), [this] { finish(); });
}

void CountdownTimer::pause()
{
    if (!isRunning_.peek())
        return;
    banked_ = elapsedAt(wallNow());
    stop();
}

void CountdownTimer::reset()
{
    banked_ = 0.0;
    stop();
}

void CountdownTimer::stop()
{
    finishTask_.cancel();
    anchor_ = std::nullopt;
    if (isRunning_.peek()) {
        isRunning_ = false;
        if (onRunningChange)
            onRunningChange();
    }
}

void CountdownTimer::finish()
{
    banked_ = 0.0;
    stop();
    if (onFinish)
        onFinish();
}

void CountdownTimer::setMode(Mode mode)
{
    if (mode == mode_.peek())
        return;
    banked_ = 0.0;
    stop();
    mode_ = mode;
}

void CountdownTimer::setDuration(double seconds)
{
    banked_ = 0.0;
    stop();
    if (!std::isfinite(seconds))
        seconds = duration_.peek();
    duration_ = std::clamp(seconds, minimumDuration, maximumDuration);
}

}  // namespace vesk
