// Two islands on a real X server, one per display of a 2880 x 900 desktop split in two, driven by
// the real pointer (xdotool) through the window controller into a recording model.
#include "FakeIslandModelSupport.h"
#include "Island/NotchWindowController.h"
#include "Platform/sim/SimScreens.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "X11ProbeSupport.h"

using namespace vesk;
using ::testing::Contains;
using test::waitFor;
using test::xdotool;

namespace {

// Swells while hovered, as the island does.
class SwellingModel : public test::FakeWindowModel {
public:
    void setHovering(bool inside) override
    {
        FakeWindowModel::setHovering(inside);
        observedSize = inside ? QSizeF(240, 38) : QSizeF(200, 32);
    }
    bool saw(const std::string &call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
};

class NotchWindowControllerIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(probe.ok());
        screens.plug(QStringLiteral("left"), QSizeF(1440, 900));
        screens.plug(QStringLiteral("right"), QSizeF(1440, 900));
        auto services = NotchWindowController::Services::desktop();
        services.screens = &screens;
        left = std::make_unique<NotchWindowController>(leftModel, 1, IslandStyle::notch, services);
        right = std::make_unique<NotchWindowController>(rightModel, 2, IslandStyle::notch, services);
        leftWindow = Window(left->panel().window().nativeId());
        rightWindow = Window(right->panel().window().nativeId());
        ASSERT_TRUE(waitFor([&] { return probe.isViewable(leftWindow) && probe.isViewable(rightWindow); }));
    }

    // Warps the pointer next to the point, then moves it there as a device would.
    static bool moveTo(int x, int y)
    {
        return xdotool({"mousemove", QString::number(x), QString::number(y + 1)})
            && xdotool({"mousemove_relative", "--", "0", "-1"});
    }

    test::X11Probe probe;
    SimScreens screens;
    SwellingModel leftModel, rightModel;
    std::unique_ptr<NotchWindowController> left, right;
    Window leftWindow = 0, rightWindow = 0;
};

TEST_F(NotchWindowControllerIntegrationTest, OnePanelAtTheTopCentreOfEachDisplay)
{
    EXPECT_TRUE(waitFor([&] { return probe.geometry(leftWindow) == QRect(720 - 380, 0, 760, 300); }));
    EXPECT_TRUE(waitFor([&] { return probe.geometry(rightWindow) == QRect(1440 + 720 - 380, 0, 760, 300); }));
    EXPECT_TRUE(waitFor([&] {
        return probe.pixel(QPoint(720, 10)) == QColor(Qt::black) && probe.pixel(QPoint(2160, 10)) == QColor(Qt::black);
    }));
}

TEST_F(NotchWindowControllerIntegrationTest, PointerOverTheIslandHoversAndSwellsIt)
{
    ASSERT_TRUE(moveTo(720, 10));
    ASSERT_TRUE(waitFor([&] { return leftModel.saw("hover"); }));
    EXPECT_FALSE(rightModel.saw("hover"));
    // The island swelled: the wider island is drawn and takes the pointer.
    EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(720 + 115, 10)) == QColor(Qt::black); }));
    EXPECT_TRUE(waitFor([&] { return probe.shape(leftWindow, true) == std::vector<QRect>{QRect(380 - 122, -10, 244, 50)}; }));

    ASSERT_TRUE(moveTo(720, 400));
    EXPECT_TRUE(waitFor([&] { return leftModel.saw("unhover") && probe.shape(leftWindow, true).empty(); }));
}

TEST_F(NotchWindowControllerIntegrationTest, ClickOpensWheelStepsAndClickElsewhereCloses)
{
    Window other = probe.createWindow(QRect(100, 500, 400, 300), 0x20a040, {.unmanaged = true});
    ASSERT_TRUE(waitFor([&] { return probe.isViewable(other); }));
    ASSERT_TRUE(moveTo(720, 10));
    ASSERT_TRUE(waitFor([&] { return !left->panel().ignoresMouseEvents(); }));

    ASSERT_TRUE(xdotool({"click", "1"}));
    EXPECT_TRUE(waitFor([&] { return leftModel.saw("open default"); })) << ::testing::PrintToString(leftModel.calls);
    ASSERT_TRUE(xdotool({"click", "5"}));
    EXPECT_TRUE(waitFor([&] { return leftModel.saw("step down"); }));

    leftModel.calls.clear();
    ASSERT_TRUE(moveTo(300, 600));
    ASSERT_TRUE(xdotool({"click", "1"}));
    EXPECT_TRUE(waitFor([&] { return leftModel.saw("close"); }));
    EXPECT_EQ(probe.pressesOn(other), 1) << "the click went to the other window";
}

}  // namespace
