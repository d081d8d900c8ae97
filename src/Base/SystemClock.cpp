#include "Base/SystemClock.h"

#include <time.h>

namespace vesk {

namespace {
double read(clockid_t id)
{
    timespec ts{};
    clock_gettime(id, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
Clock *installed = nullptr;
}  // namespace

double SystemClock::now() const { return read(CLOCK_MONOTONIC); }
double SystemClock::wallNow() const { return read(CLOCK_REALTIME); }

Clock &appClock()
{
    static SystemClock system;
    return installed ? *installed : system;
}

void setAppClock(Clock *clock) { installed = clock; }

}  // namespace vesk
