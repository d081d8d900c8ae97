// One island window on a real X server, drawing the island view: the panel's pixels on screen, as
// a root screenshot sees them, closed and open, and its snapshot with the screen beneath it.
#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "Island/NotchWindowController.h"
#include "Platform/Screens.h"
#include "Platform/UserDefaults.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

#include "QtOnXSupport.h"
#include "X11ProbeSupport.h"

using namespace vesk;
using test::qtOnX;
using test::useFreshDefaults;
using test::waitFor;
using test::xdotool;

namespace {

const QColor green(0x20, 0xa0, 0x40);

class NotchWindowIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qtOnX) << "no X display";
        ASSERT_TRUE(probe.ok());
        useFreshDefaults();
        UserDefaults::standard().set(settings::openOnHover, false);
        // The pointer stays away from the island, so it neither hovers nor swells.
        ASSERT_TRUE(xdotool({"mousemove", "100", "850"}));

        desktop = probe.createWindow(QRect(0, 0, 2880, 600), 0x20a040, {.unmanaged = true});
        ASSERT_TRUE(waitFor([&] { return probe.isViewable(desktop); }));
        ASSERT_FALSE(screens().screens().empty());
        const vesk::Screen screen = screens().screens().front();
        centre = int(screen.frame.center().x());
        model = NotchViewModel::makePrimary();
        controller = NotchWindowController::forIsland(model, screen.displayNumber, IslandStyle::notch);
        panel = Window(controller->panel().window().nativeId());
        ASSERT_TRUE(waitFor([&] { return probe.isViewable(panel) && !controller->panel().isFading(); }));
    }

    void TearDown() override
    {
        controller.reset();
        model.reset();
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
    }

    test::X11Probe probe;
    Window desktop = 0;
    Window panel = 0;
    int centre = 0;
    std::shared_ptr<NotchViewModel> model;
    std::unique_ptr<NotchWindowController> controller;
};

TEST_F(NotchWindowIntegrationTest, ClosedIslandIsBlackInsideItsOutlineWithTheDesktopAround)
{
    const int w = int(model->size().width), h = int(model->size().height);
    ASSERT_GT(w, 40);
    ASSERT_GT(h, 10);
    const int half = w / 2;
    EXPECT_TRUE(waitFor([&] { return probe.pixel(QPoint(centre, 2)) == QColor(Qt::black); }));
    for (QPoint inside : {QPoint(centre, h - 3), QPoint(centre - half + 12, h / 2), QPoint(centre + half - 12, h / 2)})
        EXPECT_EQ(probe.pixel(inside), QColor(Qt::black)) << inside.x() << "," << inside.y();
    // Beside and below the island (clear of its shadow), the panel shows the desktop.
    for (QPoint outside : {QPoint(centre - half - 40, h / 2), QPoint(centre + half + 40, 3), QPoint(centre, h + 40),
                           QPoint(centre - 370, 10), QPoint(centre + 370, 290)})
        EXPECT_EQ(probe.pixel(outside), green) << outside.x() << "," << outside.y();
}

TEST_F(NotchWindowIntegrationTest, OpenedIslandIsLargerOnScreen)
{
    const int w = int(model->size().width), h = int(model->size().height);
    const QPoint besideClosed(centre + w / 2 + 40, 10), belowClosed(centre, h + 40);
    ASSERT_TRUE(waitFor([&] { return probe.pixel(besideClosed) == green && probe.pixel(belowClosed) == green; }));

    model->open(false);
    EXPECT_TRUE(waitFor([&] {
        return probe.pixel(besideClosed) == QColor(Qt::black) && probe.pixel(belowClosed) == QColor(Qt::black);
    })) << "the open island did not grow over the closed one's surroundings";
    EXPECT_GT(model->size().width, w + 80);

    model->close(false);
    EXPECT_TRUE(waitFor([&] { return probe.pixel(besideClosed) == green && probe.pixel(belowClosed) == green; }))
        << "closing shrank it back";
}

TEST_F(NotchWindowIntegrationTest, SnapshotWithBackgroundComposesTheIslandOverTheScreen)
{
    const int h = int(model->size().height);
    QTemporaryDir dir;
    const QString bare = dir.filePath(QStringLiteral("bare.png")), over = dir.filePath(QStringLiteral("over.png"));
    controller->writeSnapshot(bare.toStdString(), false);
    controller->writeSnapshot(over.toStdString(), true);
    const QImage withoutBackground(bare), withBackground(over);
    ASSERT_EQ(withoutBackground.size(), QSize(760, 300));
    ASSERT_EQ(withBackground.size(), QSize(760, 300));
    EXPECT_EQ(withoutBackground.pixelColor(380, 2), QColor(Qt::black));
    EXPECT_EQ(withoutBackground.pixelColor(10, 200).alpha(), 0);
    EXPECT_EQ(withBackground.pixelColor(380, 2), QColor(Qt::black));
    EXPECT_EQ(withBackground.pixelColor(10, h + 40), green) << "the desktop under the panel";
}

TEST_F(NotchWindowIntegrationTest, RightClickOpensTheIslandsMenuAboveIt)
{
    // A fresh motion over the island, so the server hands the next click to the panel.
    ASSERT_TRUE(xdotool({"mousemove", QString::number(centre), "6"}));
    ASSERT_TRUE(xdotool({"mousemove_relative", "--", "0", "-1"}));
    ASSERT_TRUE(waitFor([&] { return !controller->panel().ignoresMouseEvents(); }));
    ASSERT_TRUE(xdotool({"click", "3"}));
    QWidget *popup = nullptr;
    ASSERT_TRUE(waitFor([&] {
        popup = QApplication::activePopupWidget();
        return popup && probe.isViewable(Window(popup->winId()));
    }));
    QStringList titles;
    for (QAction *action : popup->actions())
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(titles, QStringList({QStringLiteral("Settings\u2026"), QStringLiteral("-"), QStringLiteral("Quit Vesk")}));
    EXPECT_FALSE(model->isOpen.peek()) << "a right click does not open the island";

    // The island raises itself over windows that map above it, but not over its own menu: the
    // menu must still be above the panel once the panel has seen it map (many event turns later).
    const Window menu = Window(popup->winId());
    auto menuAbovePanel = [&] {
        const std::vector<Window> order = probe.stacking();
        const auto p = std::find(order.begin(), order.end(), panel);
        const auto m = std::find(order.begin(), order.end(), menu);
        return p != order.end() && m != order.end() && m > p;
    };
    int turnsAbove = 0;
    EXPECT_TRUE(waitFor([&] { return (turnsAbove = menuAbovePanel() ? turnsAbove + 1 : 0) >= 30; }))
        << "the island covered its own menu";
    popup->close();
}

}  // namespace
