#include "Island/NotchPanel.h"
#include "Platform/sim/SimPanelWindow.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using vesk::NotchPanel;
using vesk::SimPanelWindow;

namespace {

class NotchPanelTest : public ::testing::Test {
protected:
    NotchPanelTest()
    {
        auto window = std::make_unique<SimPanelWindow>();
        sim = window.get();
        panel = std::make_unique<NotchPanel>(std::move(window));
    }
    vesk::VirtualTime time;
    SimPanelWindow *sim = nullptr;
    std::unique_ptr<NotchPanel> panel;
};

TEST_F(NotchPanelTest, StartsPassingThePointerThrough)
{
    EXPECT_TRUE(sim->ignoresPointer());
    EXPECT_FALSE(sim->isVisible());
}

TEST_F(NotchPanelTest, FadesInOverThirtyFiveHundredthsThenStopsTicking)
{
    panel->fadeIn();
    EXPECT_TRUE(sim->isVisible());
    EXPECT_DOUBLE_EQ(sim->opacity(), 0.0);
    time.advance(0.175);
    EXPECT_NEAR(sim->opacity(), 0.5, 0.05);
    time.advance(0.17);
    EXPECT_LT(sim->opacity(), 1.0);
    time.advance(0.01);
    EXPECT_DOUBLE_EQ(sim->opacity(), 1.0);
    EXPECT_FALSE(panel->isFading());
    EXPECT_EQ(time.queue().pendingCount(), 0u) << "nothing wakes once the fade is over";
}

TEST_F(NotchPanelTest, FadesOutOverThreeTenthsThenOrdersOut)
{
    panel->fadeIn();
    time.advance(1);
    int done = 0;
    panel->fadeOut([&] { ++done; });
    time.advance(0.29);
    EXPECT_TRUE(sim->isVisible());
    EXPECT_GT(sim->opacity(), 0.0);
    EXPECT_EQ(done, 0);
    time.advance(0.02);
    EXPECT_FALSE(sim->isVisible());
    EXPECT_DOUBLE_EQ(sim->opacity(), 0.0);
    EXPECT_EQ(done, 1);
}

TEST_F(NotchPanelTest, FadingInAgainAbandonsAFadeOut)
{
    panel->fadeIn();
    time.advance(1);
    bool orderedOut = false;
    panel->fadeOut([&] { orderedOut = true; });
    time.advance(0.1);
    panel->fadeIn();
    time.advance(1);
    EXPECT_FALSE(orderedOut);
    EXPECT_TRUE(sim->isVisible());
    EXPECT_DOUBLE_EQ(sim->opacity(), 1.0);
}

TEST_F(NotchPanelTest, PlacesItsFixedSizeFrameAndHitAreaInDevicePixels)
{
    panel->setFrame(QRectF(1060, 0, 10, 10), 2.0);
    EXPECT_EQ(panel->frame(), QRectF(1060, 0, 760, 300)) << "the panel never changes size";
    EXPECT_EQ(sim->frame(), QRect(2120, 0, 1520, 600));
    panel->setHitArea(QRectF(1338, -10, 204, 44));
    EXPECT_EQ(sim->shapeRegion(), QRegion(QRect(556, -20, 408, 88)));
    panel->setHitArea(QRectF());
    EXPECT_TRUE(sim->shapeRegion().isEmpty());
}

}  // namespace
