#include "Base/Observed.h"

#include <gtest/gtest.h>

#include <string>

using namespace vesk;

TEST(ObservedTest, EqualWriteNotifiesNobody)
{
    Observed<std::string> title{"a"};
    int notes = 0;
    auto c = title.observe([&] { ++notes; });
    EXPECT_FALSE(title.set("a"));
    EXPECT_TRUE(title.set("b"));
    title = std::string("b");
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(title.peek(), "b");
}

TEST(ObservedTest, TrackingFiresOnceForWhatWasReadOnly)
{
    Observed<int> read{1}, unread{2};
    int fired = 0;
    auto tracking = trackObservation([&] { (void)read.get(); }, [&] { ++fired; });
    EXPECT_EQ(tracking.observedCount(), 1u);
    unread.set(5);
    EXPECT_EQ(fired, 0);
    read.set(3);
    read.set(4);  // one shot until re-armed
    EXPECT_EQ(fired, 1);
}

TEST(ObservedTest, PeekIsNotTrackedAndCancelStopsNotes)
{
    Observed<int> value{1};
    int fired = 0;
    auto none = trackObservation([&] { (void)value.peek(); }, [&] { ++fired; });
    EXPECT_FALSE(none.active());
    auto tracking = trackObservation([&] { (void)value.get(); }, [&] { ++fired; });
    tracking.cancel();
    value.set(2);
    EXPECT_EQ(fired, 0);
}

TEST(ObservedTest, SignalSlotDisconnectedDuringEmissionIsSkipped)
{
    Signal<int> signal;
    Connection second;
    int firstHits = 0, secondHits = 0;
    auto first = signal.connect([&](int) {
        ++firstHits;
        second.reset();
    });
    second = signal.connect([&](int) { ++secondHits; });
    signal(1);
    signal(2);
    EXPECT_EQ(firstHits, 2);
    EXPECT_EQ(secondHits, 0);
}
