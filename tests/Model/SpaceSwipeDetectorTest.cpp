#include "Model/SpaceSwipeDetector.h"
#include "Platform/sim/SimSwipeSource.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace vesk;
using Phase = TouchContact::Phase;

namespace {
// `n` fingers side by side around (x, y), all on the pad.
std::vector<TouchContact> fingers(int n, float x, float y = 0.5f, Phase phase = Phase::touching)
{
    std::vector<TouchContact> contacts;
    for (int i = 0; i < n; ++i)
        contacts.push_back({phase, x + 0.02f * float(i - (n - 1) / 2.0f), y});
    return contacts;
}
}  // namespace

class SpaceSwipeDetectorTest : public ::testing::Test {
protected:
    SpaceSwipeDetectorTest()
    {
        pad.connectDevice(11);
        detector.onBegin = [this] { events.push_back("begin"); };
        detector.onEnd = [this] { events.push_back("end"); };
        detector.start();
    }
    void touch(const std::vector<TouchContact> &contacts) { pad.touch(11, contacts); }

    VirtualTime time;
    SimSwipeSource pad;
    SpaceSwipeDetector detector{pad};
    std::vector<std::string> events;
};

TEST_F(SpaceSwipeDetectorTest, ASidewaysThreeFingerSwipeBeginsAndEndsOnceOnTheMainQueue)
{
    touch(fingers(3, 0.40f));
    touch(fingers(3, 0.42f));
    EXPECT_TRUE(events.empty()) << "reported on a later main-queue turn";
    EXPECT_TRUE(detector.isSwiping());
    time.flush();
    EXPECT_EQ(events, std::vector<std::string>{"begin"});
    touch(fingers(3, 0.60f));  // still the same swipe
    touch(fingers(2, 0.60f));  // lifted to two fingers
    touch(fingers(0, 0));
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "end"}));
}

TEST_F(SpaceSwipeDetectorTest, TwoFingersNeverSwipeAndAThirdRestartsTheMeasurement)
{
    touch(fingers(2, 0.10f));
    touch(fingers(2, 0.50f));
    touch(fingers(3, 0.50f));   // the origin is where three fingers first are
    touch(fingers(3, 0.511f));  // 0.011 from there: not yet
    time.flush();
    EXPECT_TRUE(events.empty());
    touch(fingers(4, 0.60f));  // a fourth finger restarts the measurement again
    touch(fingers(4, 0.61f));
    time.flush();
    EXPECT_TRUE(events.empty());
    touch(fingers(4, 0.625f));
    time.flush();
    EXPECT_EQ(events, std::vector<std::string>{"begin"});
}

TEST_F(SpaceSwipeDetectorTest, ShortOrDiagonalMovesBeginNothing)
{
    touch(fingers(3, 0.5f, 0.5f));
    touch(fingers(3, 0.511f, 0.5f));  // not beyond 0.012 of the pad
    time.flush();
    EXPECT_TRUE(events.empty());
    touch(fingers(3, 0.53f, 0.52f));  // 0.03 across, 0.02 down: 0.02 x 1.3 < 0.03 will do...
    time.flush();
    EXPECT_EQ(events, std::vector<std::string>{"begin"});

    events.clear();
    touch({});
    touch(fingers(3, 0.5f, 0.5f));
    touch(fingers(3, 0.53f, 0.525f));  // ...but 0.025 x 1.3 is not below 0.03
    touch(fingers(3, 0.5f, 0.9f));     // a vertical swipe
    touch({});
    time.flush();
    EXPECT_EQ(events, std::vector<std::string>{"end"}) << "only the end of the first swipe";
}

TEST_F(SpaceSwipeDetectorTest, OnlyFingersOnThePadCount)
{
    auto contacts = fingers(2, 0.3f);
    contacts.push_back({Phase::hovering, 0.3f, 0.5f});
    contacts.push_back({Phase::lifting, 0.3f, 0.5f});
    touch(contacts);
    for (auto &c : contacts)
        c.x += 0.1f;
    touch(contacts);
    time.flush();
    EXPECT_TRUE(events.empty());
    // A finger just landing counts.
    touch(fingers(3, 0.3f, 0.5f, Phase::starting));
    touch(fingers(3, 0.35f, 0.5f, Phase::starting));
    time.flush();
    EXPECT_EQ(events, std::vector<std::string>{"begin"});
}

TEST_F(SpaceSwipeDetectorTest, TheSimulatedPadsSwipeHelpersMakeOneSwipe)
{
    pad.swipeSideways(11);
    pad.liftFingers(11);
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "end"}));
}

TEST_F(SpaceSwipeDetectorTest, LiftingWithoutASwipeReportsNothing)
{
    touch(fingers(3, 0.5f));
    touch(fingers(2, 0.5f));
    touch({});
    time.flush();
    EXPECT_TRUE(events.empty());
}

TEST_F(SpaceSwipeDetectorTest, PadsAreAttachedOnceNowEveryMinuteAndAfterAWake)
{
    EXPECT_EQ(pad.listens(), std::vector<uint64_t>{11});
    detector.start();  // a second start does nothing
    EXPECT_EQ(pad.listens(), std::vector<uint64_t>{11});

    pad.connectDevice(12);
    pad.touch(12, fingers(3, 0.1f));
    pad.touch(12, fingers(3, 0.5f));
    time.flush();
    EXPECT_TRUE(events.empty()) << "a pad plugged in later is not listened to yet";
    time.advance(59.9);
    EXPECT_EQ(pad.listens().size(), 1u);
    time.advance(0.1);
    EXPECT_EQ(pad.listens(), (std::vector<uint64_t>{11, 12}));
    time.advance(60);
    EXPECT_EQ(pad.listens().size(), 2u) << "no pad is listened to twice";

    pad.connectDevice(13);
    time.advance(10);
    pad.wake();
    time.advance(2.9);
    EXPECT_EQ(pad.listens().size(), 2u);
    time.advance(0.1);
    EXPECT_EQ(pad.listens(), (std::vector<uint64_t>{11, 12, 13}));
}

TEST(SpaceSwipeDetectorLifetimeTest, AReportPendingWhenTheDetectorGoesIsDropped)
{
    VirtualTime time;
    SimSwipeSource pad;
    pad.connectDevice(1);
    int calls = 0;
    {
        SpaceSwipeDetector detector(pad);
        detector.onBegin = [&] { ++calls; };
        detector.start();
        pad.touch(1, fingers(3, 0.2f));
        pad.touch(1, fingers(3, 0.4f));
    }
    time.flush();
    pad.touch(1, fingers(3, 0.6f));  // no longer connected
    time.advance(120);
    EXPECT_EQ(calls, 0);
}
