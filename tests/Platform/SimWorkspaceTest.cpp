#include "Platform/sim/SimWorkspace.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(SimWorkspaceTest, FullScreenAndFocusAreWindowChangesNotWorkspaceSwitches)
{
    VirtualTime time;
    SimWorkspace sim;
    std::vector<std::string> events;
    auto a = sim.activeSpaceChanged.connect([&] { events.push_back("space"); });
    auto b = sim.windowsChanged.connect([&] { events.push_back("windows"); });
    auto c = sim.frontmostApplicationChanged.connect(
        [&](const std::optional<QString> &id) { events.push_back("front " + id.value_or("none").toStdString()); });

    const QRectF left(0, 0, 1440, 900), right(1440, 0, 1920, 1080);
    sim.setFullscreen(right, true);
    sim.setFullscreen(right, true);  // unchanged: nothing to report
    sim.setFrontmost(QString("org.Mozilla.Firefox"));
    EXPECT_TRUE(sim.isFullscreen(right));
    EXPECT_FALSE(sim.isFullscreen(left));
    EXPECT_EQ(sim.frontmostApplication(), QString("org.mozilla.firefox"));
    EXPECT_TRUE(events.empty());
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"windows", "windows", "front org.mozilla.firefox"}));

    events.clear();
    sim.switchSpace();
    sim.setFrontmost(std::nullopt);
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"space", "windows", "front none"}));
}
