#include "Model/Spaces.h"
#include "Platform/sim/SimScreens.h"
#include "Platform/sim/SimWorkspace.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace vesk;

class SpacesTest : public ::testing::Test {
protected:
    SpacesTest()
    {
        setScreens(&displays);
        setWorkspace(&windows);
    }
    ~SpacesTest() override
    {
        setScreens(nullptr);
        setWorkspace(nullptr);
    }
    VirtualTime time;
    SimScreens displays;
    SimWorkspace windows;
};

TEST_F(SpacesTest, AsksAboutTheDisplaysPixelRectangle)
{
    EXPECT_FALSE(Spaces::isFullscreen(1)) << "no display";
    auto laptop = displays.plug("eDP-1", {1512, 982}, 2);
    auto external = displays.plug("DP-1", {2560, 1440});
    windows.setFullscreen(external.pixelFrame, true);
    EXPECT_TRUE(Spaces::isFullscreen(external.displayNumber));
    EXPECT_FALSE(Spaces::isFullscreen(laptop.displayNumber));
    // Only the scaled display's device-pixel rectangle counts for it.
    windows.setFullscreen(laptop.frame, true);
    EXPECT_FALSE(Spaces::isFullscreen(laptop.displayNumber));
    windows.setFullscreen(laptop.pixelFrame, true);
    EXPECT_TRUE(Spaces::isFullscreen(laptop.displayNumber));
}

TEST_F(SpacesTest, AnUnknownDisplayIsAnsweredForThePrimary)
{
    auto primary = displays.plug("eDP-1", {1512, 982});
    displays.plug("DP-1", {2560, 1440});
    EXPECT_FALSE(Spaces::isFullscreen(77));
    windows.setFullscreen(primary.pixelFrame, true);
    EXPECT_TRUE(Spaces::isFullscreen(77));
}
