// Xvfb offers XInput 2.4 but no touchpad, so all that can be seen here is that the source finds
// no pad, listens without harm and reports nothing; the swipe rules are tested on the simulated source.
#include "Platform/linux/XInput2Swipes.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(XInput2SwipesIntegrationTest, AServerWithoutTouchpadsListsNone)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    XInput2Swipes source;
    int frames = 0;
    auto c = source.frame.connect([&](const std::vector<TouchContact> &) { ++frames; });
    EXPECT_TRUE(source.devices().empty());
    source.listen(2);  // the master pointer: a harmless selection
    QCoreApplication::processEvents();
    EXPECT_EQ(frames, 0);
}

TEST(XInput2SwipesIntegrationTest, WithoutADisplayTheSourceIsSilent)
{
    vesk::test::ScopedEnv noDisplay("DISPLAY", std::nullopt);
    XInput2Swipes source;
    EXPECT_TRUE(source.devices().empty());
    source.listen(2);
}
