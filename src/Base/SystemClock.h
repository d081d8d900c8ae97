#pragma once

#include "Base/Clock.h"

namespace vesk {

// CLOCK_MONOTONIC and CLOCK_REALTIME.
class SystemClock final : public Clock {
public:
    double now() const override;
    double wallNow() const override;
};

}  // namespace vesk
