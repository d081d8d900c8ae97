#include "Platform/linux/PulseAudioOutputs.h"

#include <gtest/gtest.h>

#include <vector>

using vesk::PulseAudioOutputs;

TEST(PulseRetryTest, ReconnectWaitDoublesUpToFiveSeconds)
{
    std::vector<double> waits;
    double wait = 1;
    for (int i = 0; i < 8; ++i) {
        waits.push_back(wait);
        wait = PulseAudioOutputs::nextRetryDelay(wait);
    }
    EXPECT_EQ(waits, (std::vector<double>{1, 2, 4, 5, 5, 5, 5, 5}));
    // After a 75 s outage the next attempt is never more than 5 s after the server returned.
    double t = 0;
    wait = 1;
    while (t < 75) {
        t += wait;
        wait = PulseAudioOutputs::nextRetryDelay(wait);
    }
    EXPECT_LE(t - 75, PulseAudioOutputs::kMaxRetryDelay);
}
