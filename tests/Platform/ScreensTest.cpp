#include "Platform/Screens.h"
#include "Platform/linux/QtScreens.h"
#include "Platform/sim/SimScreens.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(ScreensTest, DisplayNumbersFollowFirstSightAndAreNeverReused)
{
    const uint32_t a = Screens::displayNumber("screens-test-A");
    const uint32_t b = Screens::displayNumber("screens-test-B");
    EXPECT_GT(a, 0u);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(Screens::displayNumber("screens-test-A"), a);  // an output that comes back keeps its number
    EXPECT_EQ(Screens::displayNumber("screens-test-C"), b + 1);
}

TEST(ScreensTest, SimulatedScreensAreTopAlignedWithTheYAxisUp)
{
    SimScreens screens;
    screens.add({"sim-laptop", QSizeF(1512, 982), 2, QSizeF(185, 32), 37});
    screens.add({"sim-tall", QSizeF(1080, 1920), 1, std::nullopt, 24});
    const auto list = screens.screens();
    ASSERT_EQ(list.size(), 2u);

    const auto &laptop = list[0];
    EXPECT_EQ(laptop.frame, QRectF(0, 0, 1512, 982));
    EXPECT_EQ(laptop.visibleFrame, QRectF(0, 0, 1512, 945));  // the bar takes the top 37 points
    EXPECT_EQ(laptop.safeAreaTopInset, 32);
    ASSERT_TRUE(laptop.auxiliaryTopLeftArea && laptop.auxiliaryTopRightArea);
    EXPECT_EQ(laptop.auxiliaryTopLeftArea->width() + laptop.auxiliaryTopRightArea->width() + 185, 1512);
    EXPECT_EQ(laptop.auxiliaryTopRightArea->y(), 950);
    EXPECT_EQ(laptop.scale, 2);

    const auto &tall = list[1];
    // Top-aligned with the first screen: it reaches 938 points below the first one's bottom edge.
    EXPECT_EQ(tall.frame, QRectF(1512, -938, 1080, 1920));
    EXPECT_EQ(tall.frame.y() + tall.frame.height(), 982);
    EXPECT_EQ(tall.safeAreaTopInset, 0);
    EXPECT_FALSE(tall.auxiliaryTopLeftArea);
    EXPECT_EQ(screens.screen(tall.displayNumber)->name, "sim-tall");
    EXPECT_EQ(screens.mainDisplayNumber(), laptop.displayNumber);

    int changes = 0;
    auto connection = screens.changed.connect([&] { ++changes; });
    EXPECT_TRUE(screens.remove("sim-laptop"));
    EXPECT_FALSE(screens.remove("sim-laptop"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(screens.screens().front().frame, QRectF(0, 0, 1080, 1920));
}

TEST(ScreensTest, CoordinatesStartAtTheFirstScreensBottomLeftCorner)
{
    // A first screen to the right of and below another one in the windowing system's coordinates.
    const QRectF first(1920, 200, 1512, 982);
    const auto main = ScreenInfo::fromTopDown("first", first, first.adjusted(0, 37, 0, 0), first, 2);
    EXPECT_EQ(main.frame, QRectF(0, 0, 1512, 982));
    EXPECT_EQ(main.visibleFrame, QRectF(0, 0, 1512, 945));
    const auto left = ScreenInfo::fromTopDown("left", QRectF(0, 0, 1920, 1080), QRectF(0, 0, 1920, 1080), first, 1);
    EXPECT_EQ(left.frame, QRectF(-1920, 102, 1920, 1080));
}

TEST(ScreensTest, QtScreensReportNoNotch)
{
    QtScreens screens;
    const auto list = screens.screens();
    ASSERT_FALSE(list.empty());  // the offscreen platform has one screen
    for (const auto &screen : list) {
        EXPECT_GT(screen.displayNumber, 0u);
        EXPECT_EQ(screen.safeAreaTopInset, 0);
        EXPECT_FALSE(screen.auxiliaryTopLeftArea);
        EXPECT_EQ(screen.frame.y() + screen.frame.height(), list.front().frame.height());
    }
}
