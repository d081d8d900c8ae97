// The island's panel on a real X server with an EWMH window manager (jwm) and a compositor
// (xcompmgr): what the window manager and the screen see of it.
#include "Island/NotchPanel.h"
#include "IslandImageSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "X11ProbeSupport.h"

using vesk::NotchPanel;
using vesk::test::waitFor;

namespace {

class NotchPanelIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(probe.ok()) << "no X display";
        panel = std::make_unique<NotchPanel>();
        window = Window(panel->window().nativeId());
        ASSERT_NE(window, Window(0)) << "the panel found no X display";
    }

    // A closed island of 200 x 32 points at the top centre of the 2880-pixel-wide screen.
    void showClosedIsland()
    {
        panel->setFrame(QRectF(1440 - 380, 0, 760, 300));
        panel->setContent(vesk::test::islandImage(QSizeF(200, 32), vesk::IslandShape{6, 0, 10}));
        panel->setHitArea(QRectF(1440 - 102, -10, 204, 44));
        panel->fadeIn();
        ASSERT_TRUE(waitFor([&] { return probe.isViewable(window) && !panel->isFading(); }));
    }

    vesk::test::X11Probe probe;
    std::unique_ptr<NotchPanel> panel;
    Window window = 0;
};

TEST_F(NotchPanelIntegrationTest, DeclaresItselfAnUnfocusableDockOnEveryWorkspace)
{
    showClosedIsland();
    EXPECT_TRUE(waitFor([&] { return probe.geometry(window) == QRect(1060, 0, 760, 300); }))
        << "at " << probe.geometry(window).x() << "," << probe.geometry(window).y();

    const auto type = probe.atomList(window, "_NET_WM_WINDOW_TYPE");
    EXPECT_EQ(type, std::vector<QString>{QStringLiteral("_NET_WM_WINDOW_TYPE_DOCK")});
    const auto state = probe.atomList(window, "_NET_WM_STATE");
    for (const char *wanted :
         {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        EXPECT_NE(std::find(state.begin(), state.end(), QString::fromLatin1(wanted)), state.end()) << wanted;
    const auto desktop = probe.cardinals(window, "_NET_WM_DESKTOP");
    ASSERT_EQ(desktop.size(), 1u);
    EXPECT_EQ(desktop[0] & 0xFFFFFFFF, 0xFFFFFFFF) << "on every workspace";

    // Out of the window manager's hands: it never moves the panel to a workspace, a taskbar or a
    // window cycle. (Switching workspaces here would disturb other tests watching them.)
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(probe.display(), window, &attributes));
    EXPECT_TRUE(attributes.override_redirect);

    XWMHints *hints = XGetWMHints(probe.display(), window);
    ASSERT_NE(hints, nullptr);
    EXPECT_TRUE(hints->flags & InputHint);
    EXPECT_FALSE(hints->input) << "the window manager must never give the panel the focus";
    XFree(hints);
    EXPECT_NE(probe.focus(), window);
}

TEST_F(NotchPanelIntegrationTest, StaysAboveAFullScreenWindow)
{
    showClosedIsland();
    Window fullscreen = probe.createWindow(QRect(0, 0, 400, 300), 0x3366cc, {.fullscreen = true});
    ASSERT_TRUE(waitFor([&] { return probe.isViewable(fullscreen) && probe.geometry(fullscreen).width() == 2880; }));
    const Window panelTop = probe.topLevel(window);
    const Window fullTop = probe.topLevel(fullscreen);
    ASSERT_TRUE(waitFor([&] {
        const auto order = probe.stacking();
        auto panelAt = std::find(order.begin(), order.end(), panelTop);
        auto fullAt = std::find(order.begin(), order.end(), fullTop);
        return panelAt != order.end() && fullAt != order.end() && panelAt > fullAt;
    })) << "the full-screen window covers the island";
    // And it is what the screen shows at the island's centre.
    EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(1440, 10)) == QColor(Qt::black); }));
}

TEST_F(NotchPanelIntegrationTest, InputPassesThroughBesideTheIsland)
{
    Window below = probe.createWindow(QRect(900, 0, 1080, 400), 0x20a040, {.unmanaged = true});
    ASSERT_TRUE(waitFor([&] { return probe.isViewable(below); }));
    showClosedIsland();
    panel->setIgnoresMouseEvents(false);
    ASSERT_TRUE(waitFor([&] { return probe.shape(window, true) == std::vector<QRect>{QRect(1338 - 1060, -10, 204, 44)}; }));
    // With a compositor the window stays whole and only input follows the island; without one the
    // window itself is cut to the island's outline.
    const bool compositing =
        XGetSelectionOwner(probe.display(), XInternAtom(probe.display(), "_NET_WM_CM_S0", False)) != None;
    const auto outline = probe.shape(window, false);
    const bool besideIsDrawn = std::any_of(outline.begin(), outline.end(),
                                           [](const QRect &r) { return r.contains(QPoint(240, 16)); });
    EXPECT_EQ(besideIsDrawn, compositing);

    int panelPresses = 0;
    auto connection = panel->window().pointer.connect([&](const vesk::PanelPointerEvent &e) {
        if (e.kind == vesk::PanelPointerEvent::Kind::press)
            ++panelPresses;
    });
    // Beside the island but inside the panel: the window below gets the click.
    ASSERT_TRUE(vesk::test::xdotool({"mousemove", "1200", "100", "click", "1"}));
    int belowPresses = 0;
    EXPECT_TRUE(waitFor([&] { return (belowPresses += probe.pressesOn(below)) == 1; }));
    // On the island the panel gets it.
    ASSERT_TRUE(vesk::test::xdotool({"mousemove", "1440", "10", "click", "1"}));
    EXPECT_TRUE(waitFor([&] { return panelPresses == 1; }));
    EXPECT_EQ(belowPresses + probe.pressesOn(below), 1);

    // Ignoring the mouse lets even the island's area through.
    panel->setIgnoresMouseEvents(true);
    ASSERT_TRUE(waitFor([&] { return probe.shape(window, true).empty(); }));
    ASSERT_TRUE(vesk::test::xdotool({"mousemove", "1440", "20", "click", "1"}));
    EXPECT_TRUE(waitFor([&] { return (belowPresses += probe.pressesOn(below)) == 2; }));
    EXPECT_EQ(panelPresses, 1);
}

TEST_F(NotchPanelIntegrationTest, ScreenShowsTheBlackIslandAndTheDesktopBesideAndBelow)
{
    Window below = probe.createWindow(QRect(900, 0, 1080, 400), 0x20a040, {.unmanaged = true});
    ASSERT_TRUE(waitFor([&] { return probe.isViewable(below); }));
    showClosedIsland();
    const QColor green(0x20, 0xa0, 0x40);
    EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(1440, 16)) == QColor(Qt::black); }));
    EXPECT_EQ(probe.pixel(QPoint(1345, 2)), QColor(Qt::black)) << "left end of the island";
    EXPECT_EQ(probe.pixel(QPoint(1300, 16)), green) << "beside the island, inside the panel";
    EXPECT_EQ(probe.pixel(QPoint(1440, 60)), green) << "below the island, inside the panel";
}

TEST_F(NotchPanelIntegrationTest, AnUpdatedAreaReachesTheScreenAndNothingBesideIt)
{
    showClosedIsland();
    ASSERT_TRUE(waitFor([&] { return probe.pixel(QPoint(1440, 16)) == QColor(Qt::black); }));
    QImage next = vesk::test::islandImage(QSizeF(200, 32), vesk::IslandShape{6, 0, 10});
    QPainter painter(&next);
    painter.fillRect(QRect(370, 10, 6, 6), Qt::red);
    painter.fillRect(QRect(300, 10, 6, 6), Qt::red);
    painter.end();
    // Only the first square is said to have changed: the second is never read.
    panel->updateContent(next, QRegion(368, 8, 10, 10));
    EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(1440 - 380 + 372, 12)) == QColor(Qt::red); }));
    EXPECT_EQ(probe.pixel(QPoint(1440 - 380 + 302, 12)), QColor(Qt::black));
}

TEST_F(NotchPanelIntegrationTest, PixelsDrawnInPlaceReachTheScreenWhereTheyAreSaidToHaveChanged)
{
    showClosedIsland();
    ASSERT_TRUE(waitFor([&] { return probe.pixel(QPoint(1440, 16)) == QColor(Qt::black); }));
    QSize drawnInto;
    panel->drawContent([&](QImage &pixels) {
        drawnInto = pixels.size();
        QPainter painter(&pixels);
        painter.fillRect(QRect(370, 10, 6, 6), Qt::red);
        return QRegion(368, 8, 10, 10);
    });
    EXPECT_EQ(drawnInto, QSize(760, 300)) << "the window's own pixels, as last shown";
    EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(1440 - 380 + 372, 12)) == QColor(Qt::red); }));
    EXPECT_EQ(probe.pixel(QPoint(1440 - 380 + 302, 12)), QColor(Qt::black)) << "the rest as it was";
    // Pixels made anew are shown as they are said to have changed: whole.
    panel->drawContent([&](QImage &pixels) {
        pixels = vesk::test::islandImage(QSizeF(200, 32), vesk::IslandShape{6, 0, 10});
        return QRegion(pixels.rect());
    });
    EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(1440 - 380 + 372, 12)) == QColor(Qt::black); }));
}

TEST_F(NotchPanelIntegrationTest, FadesOutAndLeavesTheScreen)
{
    showClosedIsland();
    bool done = false;
    panel->fadeOut([&] { done = true; });
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_DOUBLE_EQ(panel->alpha(), 0.0);
    EXPECT_TRUE(waitFor([&] { return !probe.isViewable(window); }));
}

// While the tour runs the panel must really take typing, although the window manager never
// focuses a dock by itself.
TEST_F(NotchPanelIntegrationTest, TakesTheKeyboardWhenMadeKeyAndGivesItBack)
{
    Window other = probe.createWindow(QRect(100, 500, 300, 200), 0x808080);
    ASSERT_TRUE(waitFor([&] { return probe.isViewable(other); }));
    // jwm's focus follows the pointer: keep the pointer on the window that is to have the focus.
    ASSERT_TRUE(vesk::test::xdotool({"mousemove", "250", "600"}));
    XSetInputFocus(probe.display(), other, RevertToPointerRoot, CurrentTime);
    XFlush(probe.display());
    ASSERT_TRUE(waitFor([&] { return probe.focus() == other; }));

    showClosedIsland();
    QString typed;
    auto connection = panel->window().key.connect([&](const vesk::PanelKeyEvent &e) {
        if (e.pressed)
            typed += e.text;
    });
    panel->makeKey();
    ASSERT_TRUE(waitFor([&] { return probe.focus() == window; }));
    EXPECT_TRUE(panel->isKey());
    ASSERT_TRUE(vesk::test::xdotool({"type", "--delay", "0", "hi"}));
    EXPECT_TRUE(waitFor([&] { return typed == QLatin1String("hi"); })) << typed.toStdString();

    panel->resignKey();
    EXPECT_TRUE(waitFor([&] { return probe.focus() == other; }));
    EXPECT_FALSE(panel->isKey());
}

}  // namespace
