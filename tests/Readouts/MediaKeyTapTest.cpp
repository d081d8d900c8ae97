#include "Platform/sim/SimAccessibilityTrust.h"
#include "Platform/sim/SimMediaKeyGrab.h"
#include "Base/VirtualTime.h"
#include "Readouts/MediaKeyTap.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vesk;
using Key = MediaKeyTap::Key;

namespace {

class MediaKeyTapTest : public ::testing::Test {
protected:
    MediaKeyTapTest()
    {
        tap.handler = [this](Key key, bool fine) {
            calls.push_back({key, fine});
            return consume;
        };
    }
    // A key event as the grab delivers it: true when it passes.
    bool event(int code, int64_t state, uint64_t flags = 0)
    {
        return tap.process({SystemKeyEvent::systemDefined, SystemKeyEvent::auxiliaryButtons,
                            (int64_t(code) << 16) | state, flags});
    }
    bool down(Key key, uint64_t flags = 0) { return event(MediaKeyTap::code(key), SystemKeyEvent::keyDown, flags); }
    bool up(Key key) { return event(MediaKeyTap::code(key), SystemKeyEvent::keyUp); }

    struct Call {
        Key key;
        bool fine;
        bool operator==(const Call &) const = default;
    };
    VirtualTime time;
    SimMediaKeyGrab grab;
    SimAccessibilityTrust trust;
    MediaKeyTap tap{grab, trust};
    std::vector<Call> calls;
    bool consume = true;
};

}  // namespace

TEST_F(MediaKeyTapTest, AConsumedKeyDownDeletesItsOneKeyUp)
{
    EXPECT_FALSE(down(Key::volumeUp));
    EXPECT_FALSE(up(Key::volumeUp));
    EXPECT_TRUE(up(Key::volumeUp)) << "a second key-up passes";
    consume = false;
    EXPECT_TRUE(down(Key::mute));
    EXPECT_TRUE(up(Key::mute)) << "the key-down passed, so does its key-up";
}

TEST_F(MediaKeyTapTest, EveryRepeatIsAKeyDownAndTheLastKeyUpIsDeleted)
{
    const int64_t repeat = 1;  // the auto-repeat bit is not looked at
    EXPECT_FALSE(down(Key::brightnessUp));
    EXPECT_FALSE(event(MediaKeyTap::code(Key::brightnessUp), SystemKeyEvent::keyDown | repeat));
    EXPECT_FALSE(event(MediaKeyTap::code(Key::brightnessUp), SystemKeyEvent::keyDown | repeat));
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_FALSE(up(Key::brightnessUp));
}

TEST_F(MediaKeyTapTest, FineNeedsShiftAndOptionBoth)
{
    const uint64_t control = 0x40000, command = 0x100000;
    down(Key::volumeDown, SystemKeyEvent::shift);
    down(Key::volumeDown, SystemKeyEvent::option);
    down(Key::volumeDown, control | SystemKeyEvent::option);
    down(Key::volumeDown, SystemKeyEvent::shift | SystemKeyEvent::option);
    down(Key::volumeDown, SystemKeyEvent::shift | SystemKeyEvent::option | command);
    std::vector<bool> fine;
    for (const auto &call : calls)
        fine.push_back(call.fine);
    EXPECT_EQ(fine, (std::vector<bool>{false, false, false, true, true}));
}

TEST_F(MediaKeyTapTest, OtherKeysCodesAndSubtypesPassUntouched)
{
    for (int code : {4, 5, 6, 8, 16, 19, 20, 255})
        EXPECT_TRUE(event(code, SystemKeyEvent::keyDown)) << code;
    EXPECT_TRUE(tap.process({SystemKeyEvent::systemDefined, 7, SystemKeyEvent::keyDown, 0}));
    EXPECT_TRUE(tap.process({10, SystemKeyEvent::auxiliaryButtons, SystemKeyEvent::keyDown, 0}));
    // A word with bits above bit 18 is not a media key, even when bits 16 to 23 read 0.
    EXPECT_TRUE(tap.process({SystemKeyEvent::systemDefined, SystemKeyEvent::auxiliaryButtons,
                             (int64_t(1) << 24) | SystemKeyEvent::keyDown, 0}));
    EXPECT_TRUE(calls.empty());
    tap.handler = nullptr;
    EXPECT_TRUE(down(Key::volumeUp)) << "with no handler the key passes";
}

TEST_F(MediaKeyTapTest, RemovingTheTapForgetsHeldKeys)
{
    tap.start();
    EXPECT_FALSE(down(Key::volumeUp));
    tap.removeTap();
    EXPECT_TRUE(up(Key::volumeUp));
    EXPECT_FALSE(grab.isHeld(mediakey::soundUp));
}

TEST_F(MediaKeyTapTest, StatesFollowTrustGrabsAndTheRetryTimer)
{
    EXPECT_EQ(tap.state(), MediaKeyTap::State::off);
    trust.permission.setState(SimAccessPermission::State::denied);
    tap.start();
    EXPECT_EQ(tap.state(), MediaKeyTap::State::waiting) << "no trust: the timer alone";
    trust.permission.setState(SimAccessPermission::State::granted);
    time.advance(1.9);
    EXPECT_EQ(tap.state(), MediaKeyTap::State::waiting);
    time.advance(0.1);
    EXPECT_EQ(tap.state(), MediaKeyTap::State::armed) << "granted: armed at the next tick";
    for (int code : {0, 1, 2, 3, 7})
        EXPECT_TRUE(grab.isHeld(code));

    trust.permission.setState(SimAccessPermission::State::denied);
    EXPECT_FALSE(down(Key::mute));
    time.advance(2.0);
    EXPECT_EQ(tap.state(), MediaKeyTap::State::waiting) << "revoked: the keys go back at the next tick";
    EXPECT_FALSE(grab.isHeld(mediakey::mute));
    EXPECT_TRUE(up(Key::mute)) << "the swallowed set went with the keys";

    tap.stop();
    EXPECT_EQ(tap.state(), MediaKeyTap::State::off);
    trust.permission.setState(SimAccessPermission::State::granted);
    time.advance(10);
    EXPECT_EQ(tap.state(), MediaKeyTap::State::off) << "stopped: no timer tries again";
}

TEST_F(MediaKeyTapTest, RefusedGrabsWaitAndFreedOnesArmWithinTwoSeconds)
{
    grab.desktopHoldsKeys = true;
    tap.start();
    EXPECT_EQ(tap.state(), MediaKeyTap::State::waiting);
    time.advance(4);
    EXPECT_EQ(tap.state(), MediaKeyTap::State::waiting);
    grab.desktopHoldsKeys = false;  // the desktop let go of the keys
    time.advance(2.0);
    EXPECT_EQ(tap.state(), MediaKeyTap::State::armed);
}

TEST_F(MediaKeyTapTest, StartingAgainKeepsOneTimerAndGrabsOnlyTheWantedKeys)
{
    tap.start({Key::volumeUp, Key::volumeDown, Key::mute});
    tap.start({Key::volumeUp, Key::volumeDown, Key::mute});
    EXPECT_TRUE(grab.isHeld(mediakey::soundUp));
    EXPECT_FALSE(grab.isHeld(mediakey::brightnessUp)) << "not wanted: left to the desktop";
    EXPECT_FALSE(down(Key::volumeUp));
    tap.start({Key::brightnessUp, Key::brightnessDown});
    EXPECT_FALSE(grab.isHeld(mediakey::soundUp)) << "no longer wanted: handed back";
    EXPECT_TRUE(grab.isHeld(mediakey::brightnessDown));
    EXPECT_TRUE(up(Key::volumeUp)) << "a key handed back forgets its swallowed key-down";
    const size_t pending = time.queue().pendingCount();
    tap.start({Key::brightnessUp, Key::brightnessDown});
    EXPECT_EQ(time.queue().pendingCount(), pending) << "no second retry timer";
}

TEST_F(MediaKeyTapTest, PressesReachTheTapOnlyForHeldKeys)
{
    EXPECT_FALSE(grab.press(mediakey::soundUp, true, 0)) << "not held: the desktop's";
    tap.start({Key::volumeUp});
    EXPECT_EQ(grab.press(mediakey::soundUp, true, 0), std::optional(true));
    consume = false;
    EXPECT_EQ(grab.press(mediakey::soundUp, true, 0), std::optional(false));
    EXPECT_EQ(calls.size(), 2u);
}
