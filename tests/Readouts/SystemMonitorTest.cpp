#include "Platform/sim/SimFocusStatus.h"
#include "Platform/sim/SimKeyboardState.h"
#include "Base/VirtualTime.h"
#include "Readouts/SystemMonitor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vesk;

namespace {

class SystemMonitorTest : public ::testing::Test {
protected:
    void make()
    {
        monitor = std::make_unique<SystemMonitor>(keyboard, focus);
        monitor->onCapsLock = [this](bool on) { caps.push_back(on); };
        monitor->onInputSource = [this](const std::string &name) { sources.push_back(name); };
        monitor->onFocus = [this](bool on) { focused.push_back(on); };
        monitor->start();
    }
    VirtualTime time;
    SimKeyboardState keyboard;
    SimFocusStatus focus;
    std::unique_ptr<SystemMonitor> monitor;
    std::vector<bool> caps;
    std::vector<std::string> sources;
    std::vector<bool> focused;
};

}  // namespace

TEST_F(SystemMonitorTest, CapsLockIsReportedOnceWhicheverPathSeesIt)
{
    make();
    keyboard.setCapsLock(true);
    time.advance(0.5);
    EXPECT_EQ(caps, std::vector<bool>{true}) << "the notification, then five polls";
    keyboard.replaceCapsLock(false);  // no notification: the poll sees it within one tick
    time.advance(0.1);
    EXPECT_EQ(caps, (std::vector<bool>{true, false}));
}

TEST_F(SystemMonitorTest, TheStateAtCreationIsTheBase)
{
    keyboard.replaceCapsLock(true);
    keyboard.setLayout("German");
    make();
    time.advance(1);
    EXPECT_TRUE(caps.empty());
    EXPECT_TRUE(sources.empty());
    EXPECT_EQ(monitor->inputSource(), "German");
}

TEST_F(SystemMonitorTest, TheSameLayoutAgainOrAnUnnamedOneReportsNothing)
{
    make();
    keyboard.setLayout("English (US)");
    keyboard.setLayout(std::nullopt);
    EXPECT_TRUE(sources.empty());
    EXPECT_EQ(monitor->inputSource(), "English (US)") << "an unreadable name keeps the last one";
    keyboard.setLayout("French");
    keyboard.setLayout("French");
    EXPECT_EQ(sources, std::vector<std::string>{"French"});
}

TEST_F(SystemMonitorTest, FocusIsRecordedFirstAndReportedOnChangeEveryTwoSeconds)
{
    focus.focused = true;  // a Focus already on at launch
    make();
    time.advance(2.01);  // twenty 0.1 s steps add up to a hair over 2
    EXPECT_EQ(monitor->isFocused(), true);
    EXPECT_TRUE(focused.empty()) << "the first known state is only recorded";
    focus.focused = false;
    time.advance(1.9);
    EXPECT_TRUE(focused.empty());
    time.advance(0.1);
    EXPECT_EQ(focused, std::vector<bool>{false});
    // A change undone before the next 20th tick is never seen.
    time.advance(0.5);
    focus.focused = true;
    time.advance(1.0);
    focus.focused = false;
    time.advance(0.5);
    EXPECT_EQ(focused, std::vector<bool>{false});
}

TEST_F(SystemMonitorTest, WithoutAccessOrAnAnswerFocusStaysUnknown)
{
    focus.permission.setState(SimAccessPermission::State::denied);
    make();
    time.advance(4);
    EXPECT_FALSE(monitor->isFocused());
    focus.permission.setState(SimAccessPermission::State::granted);
    focus.focused = std::nullopt;  // unknown: nothing changes
    time.advance(2);
    EXPECT_FALSE(monitor->isFocused());
    focus.focused = true;
    time.advance(2);
    EXPECT_EQ(monitor->isFocused(), true);
    EXPECT_TRUE(focused.empty());
}

TEST_F(SystemMonitorTest, AFocusRequestAnswersOnTheMainQueue)
{
    setFocusStatus(&focus);
    focus.permission.setState(SimAccessPermission::State::asks);
    std::optional<bool> answer;
    SystemMonitor::requestFocusAccess([&](bool granted) { answer = granted; });
    EXPECT_FALSE(answer) << "never at once";
    time.flush();
    EXPECT_EQ(answer, true);
    EXPECT_TRUE(SystemMonitor::hasFocusAccess());
    setFocusStatus(nullptr);
}

TEST_F(SystemMonitorTest, AKeyboardThatAnnouncesEveryChangeIsNotPolled)
{
    keyboard.notifiesEvery = true;
    focus.focused = true;
    make();
    EXPECT_NEAR(*time.queue().nextDue(), 2.0, 1e-9) << "only the Focus query wakes the process";
    keyboard.setCapsLock(true);
    EXPECT_EQ(caps, std::vector<bool>{true}) << "the notification reports it at once";
    time.advance(2.0);
    EXPECT_EQ(monitor->isFocused(), true);
    focus.focused = false;
    time.advance(2.0);
    EXPECT_EQ(focused, std::vector<bool>{false}) << "still read on every 20th tick";

    // Another poll of every tick (the brightness watch) brings the tick back to 0.1 s; Focus keeps
    // its 2 s.
    int brightness = 0;
    Connection watch = monitor->tick().subscribe([&] { ++brightness; });
    focus.focused = true;
    time.advance(1.95);
    EXPECT_EQ(brightness, 19);
    EXPECT_EQ(focused, std::vector<bool>{false});
    time.advance(0.05);
    EXPECT_EQ(focused, (std::vector<bool>{false, true}));
}
