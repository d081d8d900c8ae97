// The island layout, the window controllers and the island model on a real X server whose one
// screen is split into two monitors with xrandr: an island per display, the desktop visible
// beside and below them, hover from the real pointer, and islands that follow monitors as they go
// and come back.
#include "Model/Defaults.h"
#include "Model/IslandLayout.h"
#include "Model/NotchViewModel.h"
#include "Island/NotchWindowController.h"
#include "Platform/Screens.h"
#include "Platform/UserDefaults.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include "QtOnXSupport.h"
#include "X11ProbeSupport.h"

using namespace vesk;
using test::qtOnX;
using test::useFreshDefaults;
using test::waitFor;
using test::xdotool;

namespace {

bool xrandr(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xrandr"), arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

bool addRightMonitor()
{
    return xrandr({"--setmonitor", "vesk-right", "1440/381x900/238+1440+0", "none"});
}

class IslandDisplaysIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qtOnX) << "no X display";
        ASSERT_TRUE(probe.ok());
        useFreshDefaults();
        UserDefaults::standard().set(settings::externalDisplayStyle, "notch");
        UserDefaults::standard().set(settings::openOnHover, false);

        // The desktop beside and below the islands.
        desktop = probe.createWindow(QRect(0, 0, 2880, 500), 0x20a040, {.unmanaged = true});
        ASSERT_TRUE(xrandr({"--setmonitor", "vesk-left", "1440/381x900/238+0+0", "screen"}));
        ASSERT_TRUE(addRightMonitor());
        ASSERT_TRUE(waitFor([] { return screens().screens().size() == 2; })) << "Qt did not see the two monitors: " << screens().screens().size() << " " << QGuiApplication::screens().size();

        primary = NotchViewModel::makePrimary();
        layout = std::make_unique<IslandLayout>(primary, factory, screens());
        screensChanged = screens().screensChanged.connect([this] { layout->syncIslands(true); });
        layout->syncIslands(false);
        ASSERT_EQ(layout->islands().size(), 2u);
        ASSERT_TRUE(waitFor([&] {
            return probe.isViewable(panelOf(0)) && probe.isViewable(panelOf(1));
        }));
    }

    void TearDown() override
    {
        screensChanged.reset();
        layout.reset();
        xrandr({"--delmonitor", "vesk-right"});
        xrandr({"--delmonitor", "vesk-left"});
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
    }

    Window panelOf(size_t index)
    {
        auto *controller = static_cast<NotchWindowController *>(layout->islands().at(index).get());
        return Window(controller->panel().window().nativeId());
    }

    static bool moveTo(int x, int y)
    {
        return xdotool({"mousemove", QString::number(x), QString::number(y + 1)})
            && xdotool({"mousemove_relative", "--", "0", "-1"});
    }

    test::X11Probe probe;
    Window desktop = 0;
    NotchWindowFactory factory;
    std::shared_ptr<NotchViewModel> primary;
    std::unique_ptr<IslandLayout> layout;
    Connection screensChanged;
};

TEST_F(IslandDisplaysIntegrationTest, BlackIslandAtTheTopCentreOfEachDisplayWithTheDesktopAround)
{
    EXPECT_TRUE(waitFor([&] { return probe.geometry(panelOf(0)) == QRect(720 - 380, 0, 760, 300); }));
    EXPECT_TRUE(waitFor([&] { return probe.geometry(panelOf(1)) == QRect(2160 - 380, 0, 760, 300); }));

    const QColor green(0x20, 0xa0, 0x40);
    for (int centre : {720, 2160}) {
        EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(centre, 5)) == QColor(Qt::black); })) << centre;
        EXPECT_EQ(probe.pixel(QPoint(centre - 300, 10)), green) << "beside the island at " << centre;
        EXPECT_EQ(probe.pixel(QPoint(centre, 150)), green) << "below the island at " << centre;
    }

    // A click beside the island reaches the window underneath.
    probe.pressesOn(desktop);
    ASSERT_TRUE(moveTo(720 - 300, 100));
    ASSERT_TRUE(xdotool({"click", "1"}));
    int presses = 0;
    EXPECT_TRUE(waitFor([&] { return (presses += probe.pressesOn(desktop)) == 1; }));
}

TEST_F(IslandDisplaysIntegrationTest, PointerOverTheIslandHoversTheModelAndSwellsTheIsland)
{
    auto &model = layout->islands().front()->model();
    const double closedWidth = model.size().width;
    const int swollenEdge = 720 + int(closedWidth / 2) + 4;
    ASSERT_TRUE(waitFor([&] { return probe.pixel(QPoint(swollenEdge, 5)) != QColor(Qt::black); }));

    ASSERT_TRUE(moveTo(720, 5));
    ASSERT_TRUE(waitFor([&] { return model.isHovering.peek(); }));
    EXPECT_GT(model.size().width, closedWidth);
    EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(swollenEdge, 5)) == QColor(Qt::black); }))
        << "the island did not swell on screen";

    ASSERT_TRUE(moveTo(720, 400));
    EXPECT_TRUE(waitFor([&] { return !model.isHovering.peek(); }));
}

TEST_F(IslandDisplaysIntegrationTest, ClickOrWheelOpensTheIslandAndAClickElsewhereClosesIt)
{
    UserDefaults::standard().set(settings::scrollToOpen, true);
    auto &model = layout->islands().front()->model();
    ASSERT_TRUE(moveTo(720, 5));
    ASSERT_TRUE(waitFor([&] { return model.isHovering.peek(); }));
    ASSERT_TRUE(xdotool({"click", "1"}));
    EXPECT_TRUE(waitFor([&] { return model.isOpen.peek(); }));

    ASSERT_TRUE(moveTo(720 - 500, 450));
    ASSERT_TRUE(xdotool({"click", "1"}));
    EXPECT_TRUE(waitFor([&] { return !model.isOpen.peek(); }));
    EXPECT_TRUE(waitFor([&] { return probe.pressesOn(desktop) >= 1; })) << "the click went to the window there";

    ASSERT_TRUE(moveTo(720, 5));
    ASSERT_TRUE(waitFor([&] { return model.isHovering.peek(); }));
    ASSERT_TRUE(xdotool({"click", "5"}));  // one wheel notch down
    EXPECT_TRUE(waitFor([&] { return model.isOpen.peek(); }));
}

TEST_F(IslandDisplaysIntegrationTest, MonitorThatGoesTakesItsIslandAndOneThatComesGetsOne)
{
    const Window right = panelOf(1);
    ASSERT_TRUE(xrandr({"--delmonitor", "vesk-right"}));
    ASSERT_TRUE(waitFor([&] { return layout->islands().size() == 1; }));
    EXPECT_TRUE(waitFor([&] { return !probe.isViewable(right); })) << "the departed display's panel stayed";
    EXPECT_TRUE(probe.isViewable(panelOf(0)));

    ASSERT_TRUE(addRightMonitor());
    ASSERT_TRUE(waitFor([&] { return layout->islands().size() == 2; }));
    EXPECT_TRUE(waitFor([&] {
        return probe.isViewable(panelOf(1)) && probe.geometry(panelOf(1)) == QRect(2160 - 380, 0, 760, 300);
    }));
}

}  // namespace
