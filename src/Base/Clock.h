#pragma once

#include <QDateTime>

namespace vesk {

// The application's one source of time. Everything that waits, animates or stamps reads it, so that
// tests can replace it with a virtual clock and move time themselves.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic seconds from an arbitrary origin; it does not advance while the machine sleeps.
    virtual double now() const = 0;
    // Wall-clock seconds since the Unix epoch (UTC); it jumps when the machine wakes or is set.
    virtual double wallNow() const = 0;

    QDateTime wallDateTime() const { return QDateTime::fromMSecsSinceEpoch(qint64(wallNow() * 1000.0), Qt::UTC); }
};

// The installed application clock: the system clock unless a test or tool installed another.
Clock &appClock();
void setAppClock(Clock *clock);  // nullptr restores the system clock

}  // namespace vesk
