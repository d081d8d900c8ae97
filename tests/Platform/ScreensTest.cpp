#include "Platform/Screens.h"
#include "Platform/linux/QtScreens.h"
#include "Platform/sim/SimScreens.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <set>

using namespace vesk;

TEST(DisplayNumbersTest, NumbersFollowFirstSightAndAreNeverReused)
{
    DisplayNumbers numbers;
    EXPECT_EQ(numbers.number("eDP-1", {}), 1u);
    EXPECT_EQ(numbers.number("HDMI-1", {}), 2u);
    // Unplugged and plugged again: the same number, and a newcomer does not take a freed one.
    EXPECT_EQ(numbers.number("eDP-1", {}), 1u);
    EXPECT_EQ(numbers.number("DP-2", {}), 3u);
    EXPECT_EQ(numbers.number("HDMI-1", {}), 2u);
}

TEST(DisplayNumbersTest, TwoPresentOutputsWithOneNameGetTwoNumbers)
{
    DisplayNumbers numbers;
    QString first, second;
    auto a = numbers.number("", {}, &first);
    auto b = numbers.number("", {first}, &second);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_NE(first, second);
    // The next listing sees the same two numbers again.
    EXPECT_EQ(numbers.number("", {}), a);
    EXPECT_EQ(numbers.number("", {first}), b);
}

class SimScreensTest : public ::testing::Test {
protected:
    VirtualTime time;
    SimScreens sim;
};

TEST_F(SimScreensTest, NotchedScreenReportsInsetAndAuxiliaryAreas)
{
    auto laptop = sim.plug("Built-in", {1512, 982}, 2, QSizeF(185, 32), 37);
    EXPECT_TRUE(laptop.hasNotch());
    EXPECT_EQ(laptop.safeAreaTop, 32);
    ASSERT_TRUE(laptop.auxiliaryTopLeftArea && laptop.auxiliaryTopRightArea);
    EXPECT_DOUBLE_EQ(laptop.frame.width() - laptop.auxiliaryTopLeftArea->width() - laptop.auxiliaryTopRightArea->width(),
                     185);
    EXPECT_DOUBLE_EQ(laptop.topBarHeight(), 37);
    EXPECT_EQ(laptop.pixelFrame, QRectF(0, 0, 3024, 1964));

    auto external = sim.plug("External", {2560, 1440});
    EXPECT_FALSE(external.hasNotch());
    EXPECT_FALSE(external.auxiliaryTopLeftArea.has_value());
    EXPECT_EQ(external.frame, QRectF(1512, 0, 2560, 1440));  // to the right, top-aligned
    EXPECT_EQ(external.topBarHeight(), 0);
    EXPECT_NE(external.displayNumber, laptop.displayNumber);
}

TEST_F(SimScreensTest, NotificationsArriveOnALaterTurnAndNumbersSurviveReplug)
{
    std::vector<std::string> events;
    auto added = sim.screenAdded.connect([&](const Screen &s) { events.push_back("+" + s.name.toStdString()); });
    auto removed = sim.screenRemoved.connect([&](const Screen &s) { events.push_back("-" + s.name.toStdString()); });
    auto changed = sim.screenChanged.connect([&](const Screen &s) { events.push_back("~" + s.name.toStdString()); });
    int lists = 0;
    auto all = sim.screensChanged.connect([&] { ++lists; });

    auto a = sim.plug("A", {1440, 900});
    auto b = sim.plug("B", {1920, 1080});
    EXPECT_TRUE(events.empty());
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"+A", "+B"}));
    EXPECT_EQ(lists, 2);

    EXPECT_TRUE(sim.unplug("A"));
    EXPECT_FALSE(sim.unplug("A"));
    EXPECT_TRUE(sim.makePrimary("B"));
    time.flush();
    auto again = sim.plug("A", {1440, 900});
    EXPECT_EQ(again.displayNumber, a.displayNumber);
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"+A", "+B", "-A", "+A"}));
    EXPECT_EQ(sim.screen(b.displayNumber)->name, "B");
    EXPECT_FALSE(sim.screen(0).has_value());
}

TEST_F(SimScreensTest, UpdateReportsOnlyRealChanges)
{
    auto a = sim.plug("A", {1440, 900});
    time.flush();
    int changes = 0;
    auto changed = sim.screenChanged.connect([&](const Screen &) { ++changes; });
    EXPECT_TRUE(sim.update(a));
    time.flush();
    EXPECT_EQ(changes, 0);
    a.visibleFrame = a.frame.adjusted(0, 24, 0, 0);
    a.displayNumber = 99;  // the service keeps the number it gave
    EXPECT_TRUE(sim.update(a));
    time.flush();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sim.screens().front().displayNumber, 1u);
    EXPECT_EQ(sim.screens().front().topBarHeight(), 24);
}

TEST_F(SimScreensTest, YUpConversionReflectsAboutThePrimaryDisplay)
{
    EXPECT_EQ(sim.toYUp(QRectF(1, 2, 3, 4)), QRectF(1, 2, 3, 4));  // no display: unchanged
    sim.plug("A", {1440, 900});
    sim.plug("B", {1920, 1200});
    // A strip at the top of the primary display lies at its top in y-up terms too.
    EXPECT_EQ(sim.toYUp(QRectF(100, 0, 200, 32)), QRectF(100, 868, 200, 32));
    // The taller display reaches below the primary one: negative y-up values.
    EXPECT_EQ(sim.toYUp(QRectF(1440, 0, 1920, 1200)), QRectF(1440, -300, 1920, 1200));
    QRectF panel(500, 10, 760, 300);
    EXPECT_EQ(sim.fromYUp(sim.toYUp(panel)), panel);
}

TEST(QtScreensTest, LinuxDisplaysHaveNoNotchAndDistinctNumbers)
{
    QtScreens qt;
    auto list = qt.screens();
    ASSERT_FALSE(list.empty());
    std::set<uint32_t> numbers;
    for (auto &s : list) {
        EXPECT_NE(s.displayNumber, 0u);
        numbers.insert(s.displayNumber);
        EXPECT_EQ(s.safeAreaTop, 0);
        EXPECT_FALSE(s.hasNotch());
        EXPECT_EQ(s.pixelFrame.size(), s.frame.size() * s.scale);
    }
    EXPECT_EQ(numbers.size(), list.size());
    EXPECT_EQ(qt.screens(), list);  // numbers are stable from call to call
}
