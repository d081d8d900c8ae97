#include "Model/IslandLayout.h"

#include "IslandTestSupport.h"
#include "RecordingIslandSupport.h"
#include "TestSupport.h"

using namespace vesk;
using vesk::test::IslandTest;
using vesk::test::RecordingFactory;
using vesk::test::RecordingWindow;

class IslandLayoutTest : public IslandTest {
protected:
    std::shared_ptr<NotchViewModel> primary = NotchViewModel::makePrimary(simulatedServices());
    RecordingFactory factory;
    IslandLayout layout{primary, factory, screens};

    RecordingWindow &island(size_t i) { return static_cast<RecordingWindow &>(*layout.islands().at(i)); }
    std::string number(const Screen &s) { return std::to_string(s.displayNumber); }
};

TEST_F(IslandLayoutTest, NotchedDisplayOnlyWhileExternalDisplaysAreHidden)
{
    auto notched = plug(external("HDMI-1"));  // first in the system's order, yet not the primary
    auto laptopScreen = plug(laptop());
    layout.syncIslands(false);
    EXPECT_EQ(layout.islandLayout(), number(laptopScreen) + ":notch");
    ASSERT_EQ(layout.islands().size(), 1u);
    EXPECT_EQ(&island(0).model(), primary.get());
    (void)notched;
}

TEST_F(IslandLayoutTest, PillExternalDisplaysGetMirrorsAfterThePrimary)
{
    auto ext = plug(external());
    auto lap = plug(laptop());
    defaults().set(settings::externalDisplayStyle, "pill");
    layout.syncIslands(false);
    EXPECT_EQ(layout.islandLayout(), number(lap) + ":notch," + number(ext) + ":pill");
    ASSERT_EQ(layout.islands().size(), 2u);
    EXPECT_EQ(&island(0).model(), primary.get());
    EXPECT_FALSE(island(1).model().isPrimary());
    ASSERT_EQ(primary->mirrors().size(), 1u);
    EXPECT_EQ(primary->mirrors()[0].get(), &island(1).model());
}

TEST_F(IslandLayoutTest, WithoutANotchTheFirstScreenStillGetsAnIsland)
{
    auto first = plug(external("DP-1"));
    plug(external("DP-2"));
    layout.syncIslands(false);
    EXPECT_EQ(layout.islandLayout(), number(first) + ":notch");
}

TEST_F(IslandLayoutTest, NotchDisplayPillAndDebugStyle)
{
    auto lap = plug(laptop());
    defaults().set(settings::notchDisplayPill, true);
    layout.syncIslands(false);
    EXPECT_EQ(layout.islandLayout(), number(lap) + ":pill");

    defaults().set(settings::notchDisplayPill, false);
    auto ext = plug(external());
    defaults().set(settings::externalDisplayStyle, "notch");
    test::ScopedEnv debug("VESK_DEBUG_STYLE", "pill");
    layout.syncIslands(false);
    EXPECT_EQ(layout.islandLayout(), number(lap) + ":pill," + number(ext) + ":notch");
}

TEST_F(IslandLayoutTest, StyleChangeKeepsTheIslandAndItsMirror)
{
    plug(laptop());
    plug(external());
    defaults().set(settings::externalDisplayStyle, "pill");
    layout.syncIslands(false);
    auto mirrorWindow = layout.islands().at(1);
    NotchViewModel *mirror = &mirrorWindow->model();
    auto &window = static_cast<RecordingWindow &>(*mirrorWindow);
    window.repositions = 0;
    island(0).repositions = 0;

    defaults().set(settings::externalDisplayStyle, "notch");
    layout.syncIslands(false);
    EXPECT_EQ(layout.islands().at(1), mirrorWindow);
    EXPECT_EQ(&layout.islands().at(1)->model(), mirror);
    EXPECT_EQ(window.islandStyle, IslandStyle::notch);
    EXPECT_EQ(window.repositions, 2);
    EXPECT_EQ(island(0).repositions, 1);

    defaults().set(settings::externalDisplayStyle, "hidden");
    layout.syncIslands(false);
    EXPECT_EQ(layout.islands().size(), 1u);
    EXPECT_TRUE(window.closed);
    EXPECT_TRUE(primary->mirrors().empty());
}

TEST_F(IslandLayoutTest, UnpluggingThePrimaryDisplayMovesThePrimaryModel)
{
    plug(laptop());
    auto ext = plug(external());
    defaults().set(settings::externalDisplayStyle, "pill");
    layout.syncIslands(false);
    auto oldLaptop = layout.islands().at(0);
    auto oldExternal = layout.islands().at(1);

    screens.unplug("eDP-1");
    layout.syncIslands(true);
    EXPECT_EQ(layout.islandLayout(), number(ext) + ":pill");
    EXPECT_TRUE(static_cast<RecordingWindow &>(*oldLaptop).closed);
    EXPECT_TRUE(static_cast<RecordingWindow &>(*oldExternal).closed);
    ASSERT_EQ(layout.islands().size(), 1u);
    EXPECT_EQ(&island(0).model(), primary.get());
    EXPECT_TRUE(primary->mirrors().empty());
}

TEST_F(IslandLayoutTest, UnforcedUnchangedLayoutAndNoScreensDoNothing)
{
    layout.syncIslands(true);  // no screens
    EXPECT_TRUE(layout.islands().empty());
    EXPECT_EQ(layout.islandLayout(), "");

    plug(laptop());
    layout.syncIslands(false);
    island(0).repositions = 0;
    layout.syncIslands(false);
    EXPECT_EQ(island(0).repositions, 0);
    layout.syncIslands(true);  // forced: re-placed once
    EXPECT_EQ(island(0).repositions, 1);
    EXPECT_EQ(factory.made.size(), 1u);

    screens.unplug("eDP-1");
    layout.syncIslands(true);
    EXPECT_EQ(layout.islands().size(), 1u);  // nothing changes, not even the key
    EXPECT_FALSE(layout.islandLayout().empty());
}

TEST(IslandLayoutEntriesTest, ASecondScreenWithTheSameNumberGetsNoEntry)
{
    Screen first, second, third;
    first.displayNumber = 4;
    second.displayNumber = 5;
    third.displayNumber = 5;
    EXPECT_EQ(IslandLayout::entries({first, second, third}, false, "pill", std::nullopt),
              (std::vector<IslandLayout::Entry>{{4, IslandStyle::pill}, {5, IslandStyle::pill}}));
    EXPECT_TRUE(IslandLayout::entries({}, false, "pill", std::nullopt).empty());
}

TEST(IslandLayoutEntriesTest, KeyJoinsDisplayAndStyle)
{
    EXPECT_EQ(IslandLayout::key({{1, IslandStyle::notch}, {3, IslandStyle::pill}}), "1:notch,3:pill");
    EXPECT_EQ(IslandLayout::key({}), "");
}
