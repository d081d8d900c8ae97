// The global pointer monitor on a real X server: moves and clicks anywhere, and which of them
// happen over the application's own windows.
#include "Island/NotchPanel.h"
#include "IslandImageSupport.h"
#include "Platform/PointerMonitor.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include "X11ProbeSupport.h"

using vesk::PointerActivity;
using vesk::test::waitFor;
using vesk::test::xdotool;

namespace {

class PointerMonitorIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(probe.ok());
        monitor = vesk::makePointerMonitor();
        connection = monitor->activity.connect([this](const PointerActivity &a) { seen.push_back(a); });
    }

    // The last press seen, once one has arrived after `before` events.
    std::optional<PointerActivity> pressAfter(size_t before)
    {
        std::optional<PointerActivity> press;
        waitFor([&] {
            for (size_t i = before; i < seen.size(); ++i) {
                if (seen[i].kind == PointerActivity::Kind::press)
                    press = seen[i];
            }
            return press.has_value();
        });
        return press;
    }

    vesk::test::X11Probe probe;
    std::unique_ptr<vesk::PointerMonitor> monitor;
    std::vector<PointerActivity> seen;
    vesk::Connection connection;
};

// xdotool's "mousemove" warps the pointer, which no input device reports; a relative move is a
// device's motion, as a real mouse makes it.
TEST_F(PointerMonitorIntegrationTest, FollowsThePointerAnywhere)
{
    ASSERT_TRUE(xdotool({"mousemove", "100", "200"}));
    ASSERT_TRUE(xdotool({"mousemove_relative", "--", "2400", "500"}));
    EXPECT_TRUE(waitFor([&] {
        return !seen.empty() && seen.back().kind == PointerActivity::Kind::move
            && seen.back().position == QPointF(2500, 700);
    }));
    EXPECT_EQ(monitor->position(), QPointF(2500, 700));
    EXPECT_FALSE(monitor->anyButtonHeld());
}

TEST_F(PointerMonitorIntegrationTest, TellsClicksOnOwnWindowsFromClicksElsewhere)
{
    Window foreign = probe.createWindow(QRect(900, 0, 1080, 400), 0x20a040);
    Window own = probe.createWindow(QRect(100, 500, 300, 200), 0x808080, {.ownPid = true});
    // Not the bare desktop: a click there opens the window manager's menu, which grabs the pointer.
    Window unmanaged = probe.createWindow(QRect(2400, 500, 400, 300), 0x404040, {.unmanaged = true});
    ASSERT_TRUE(waitFor([&] {
        return probe.isViewable(foreign) && probe.isViewable(own) && probe.isViewable(unmanaged);
    }));
    vesk::NotchPanel panel;
    panel.setFrame(QRectF(1060, 0, 760, 300));
    panel.setContent(vesk::test::islandImage(QSizeF(200, 32), vesk::IslandShape{6, 0, 10}));
    panel.setHitArea(QRectF(1338, -10, 204, 44));
    panel.setIgnoresMouseEvents(false);
    panel.fadeIn();
    ASSERT_TRUE(waitFor([&] { return probe.isViewable(Window(panel.window().nativeId())); }));

    struct Case {
        const char *what;
        QPoint at;
        bool own;
    };
    for (const Case &c : {Case{"another application's window", {1000, 200}, false},
                          Case{"the panel beside the island", {1300, 100}, false},
                          Case{"the island", {1440, 10}, true},
                          Case{"the application's other window", {250, 600}, true},
                          Case{"an unmanaged window", {2600, 600}, false}}) {
        const size_t before = seen.size();
        ASSERT_TRUE(xdotool({"mousemove", QString::number(c.at.x()), QString::number(c.at.y()), "mousedown", "1"}));
        auto press = pressAfter(before);
        ASSERT_TRUE(press) << c.what;
        EXPECT_EQ(press->button, 1) << c.what;
        EXPECT_EQ(press->position, QPointF(c.at)) << c.what;
        EXPECT_EQ(press->overOwnWindow, c.own) << c.what;
        EXPECT_TRUE(monitor->anyButtonHeld()) << c.what;
        ASSERT_TRUE(xdotool({"mouseup", "1"}));
        EXPECT_TRUE(waitFor([&] {
            return std::any_of(seen.begin() + before, seen.end(),
                               [](const PointerActivity &a) { return a.kind == PointerActivity::Kind::release; });
        })) << c.what;
    }
}

}  // namespace
