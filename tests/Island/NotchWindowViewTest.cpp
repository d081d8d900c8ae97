// The island window hosting the island view: what its panel shows, when it paints, and what it
// hands the view and the diagnostics.
#include "Island/NotchWindowController.h"
#include "Island/IslandViews.h"
#include "IslandImageSupport.h"
#include "SimFactorySupport.h"

#include "Model/IslandTestSupport.h"
#include "Diagnostics/LayerDump.h"
#include "Island/Cursor.h"
#include "Kit/FrameDriver.h"
#include "Platform/sim/SimPanelWindow.h"
#include "Platform/sim/SimPointerMonitor.h"

#include <QFile>
#include <QTemporaryDir>

using namespace vesk;

namespace {

class NotchWindowViewTest : public test::PlatformTest {
protected:
    void SetUp() override
    {
        display = plug(laptop()).displayNumber;
        model = settledPrimary();
        NotchWindowController::Services services{
            &screens,
            test::makingInto(window),
            [] { return std::make_unique<SimPointerMonitor>(); },
            {},
            {},
            [this](const std::vector<kit::MenuItem> &items, QPointF at) {
                menu = items;
                menuAt = at;
            }};
        controller = NotchWindowController::forIsland(model, display, IslandStyle::notch, services);
        time.advance(1);
    }

    // The opaque extent of the panel's pixels along row `y`.
    std::pair<int, int> span(int y) const { return test::opaqueSpan(window->content(), y); }

    uint32_t display = 0;
    std::shared_ptr<NotchViewModel> model;
    SimPanelWindow *window = nullptr;
    std::unique_ptr<NotchWindowController> controller;
    std::vector<kit::MenuItem> menu;
    QPointF menuAt;
};

}  // namespace

TEST_F(NotchWindowViewTest, PanelShowsTheClosedIslandAtTheDisplaysScale)
{
    const QImage &image = window->content();
    ASSERT_EQ(image.size(), QSize(1520, 600)) << "760 x 300 points at 2 pixels per point";
    // The closed island on a 185 x 32 notch: 185 x 33 points at the top centre.
    EXPECT_EQ(image.pixelColor(760, 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(760, 60), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(590, 30), QColor(Qt::black));
    EXPECT_EQ(qAlpha(image.pixel(760, 70)), 0) << "below the island";
    EXPECT_EQ(qAlpha(image.pixel(950, 30)), 0) << "beside the island";
    EXPECT_EQ(qAlpha(image.pixel(5, 5)), 0);
}

TEST_F(NotchWindowViewTest, PaintsOnlyWhileSomethingMoves)
{
    const uint64_t atRest = controller->paintCount();
    time.advance(5);
    EXPECT_EQ(controller->paintCount(), atRest) << "an island at rest is never painted again";
    EXPECT_FALSE(kit::FrameDriver::shared().isScheduled()) << "nor asks for frames";

    const auto [closedLeft, closedRight] = span(20);
    model->open(false);
    time.advance(0.1);
    const uint64_t midway = controller->paintCount();
    EXPECT_GT(midway, atRest + 2) << "a frame painted per step of the spring";
    const auto [midLeft, midRight] = span(20);
    EXPECT_LT(midLeft, closedLeft);
    EXPECT_GT(midRight, closedRight);

    time.advance(2);
    const auto [openLeft, openRight] = span(20);
    EXPECT_LT(openLeft, midLeft);
    EXPECT_GT(openRight, midRight);
    const uint64_t settled = controller->paintCount();
    time.advance(3);
    EXPECT_EQ(controller->paintCount(), settled) << "the open island at rest paints nothing";
}

TEST_F(NotchWindowViewTest, PanelsRightClickReachesTheViewsContextMenu)
{
    // Over the closed island: pixel (760, 20) is point (380, 10) of the panel.
    window->pointer({PanelPointerEvent::Kind::press, 3, QPointF(760, 20), 0});
    window->pointer({PanelPointerEvent::Kind::release, 3, QPointF(760, 20), 0});
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].title, QStringLiteral("Settings\u2026"));
    EXPECT_EQ(menu[2].title, QStringLiteral("Quit Vesk"));
    EXPECT_EQ(menuAt, controller->panel().frame().topLeft() + QPointF(380, 10)) << "in desktop points";
    EXPECT_FALSE(model->isOpen.get()) << "a right click does not open the island";

    menu.clear();
    window->pointer({PanelPointerEvent::Kind::press, 3, QPointF(40, 500), 0});
    EXPECT_TRUE(menu.empty()) << "nothing of the view there";
}

TEST_F(NotchWindowViewTest, PanelCursorFollowsTheIslandsCursor)
{
    Cursor::set(Qt::PointingHandCursor);
    EXPECT_EQ(window->cursor(), Qt::PointingHandCursor);
    Cursor::set(Qt::ArrowCursor);
    EXPECT_EQ(window->cursor(), Qt::ArrowCursor);
}

TEST_F(NotchWindowViewTest, SnapshotAndLayerDumpShowWhatThePanelShows)
{
    const WindowSnapshot::Window snapshot = controller->snapshotWindow();
    EXPECT_EQ(snapshot.tree, &controller->tree());
    EXPECT_TRUE(snapshot.isVisible);
    EXPECT_EQ(snapshot.frame, QRect(756 - 380, 0, 760, 300));
    EXPECT_EQ(snapshot.scale, 2.0);
    EXPECT_EQ(WindowSnapshot::image(snapshot, false), window->content());

    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("layers.txt")).toStdString();
    controller->writeLayerTree(path);
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_EQ(text, LayerDump::text(controller->tree()));
    EXPECT_TRUE(text.startsWith(QString::fromLatin1(controller->tree().root()->spec().kind()) + QLatin1Char(' ')));

    // A hidden island makes no snapshot.
    controller->setHiddenWhileLocked(true);
    EXPECT_TRUE(WindowSnapshot::image(controller->snapshotWindow(), false).isNull());
}

TEST_F(NotchWindowViewTest, TooltipsShowAfterTheRestAsPlainTextAndHideOnLeaveAndPress)
{
    NotchViewSlots saved = NotchViewSlots::standard();
    fillIslandViewSlots(NotchViewSlots::standard());
    model->open(false);
    time.advance(2);
    std::optional<QRectF> dot;
    for (const kit::DrawnItem &item : kit::drawnItems(*controller->snapshotWindow().tree))
        if (item.kind == kit::DrawnItem::Kind::control && item.text == QStringLiteral("Calendar") && item.isVisible())
            dot = item.rect;
    ASSERT_TRUE(dot);
    const QPointF pixel = dot->center() * 2;
    window->pointer({PanelPointerEvent::Kind::move, 0, pixel, 0});
    time.advance(tooltipRestSeconds / 2);
    EXPECT_FALSE(window->tooltip) << "only after the pointer rests";
    window->pointer({PanelPointerEvent::Kind::move, 0, pixel + QPointF(1, 0), 0});
    time.advance(tooltipRestSeconds / 2 + 0.01);
    EXPECT_FALSE(window->tooltip) << "a move starts the rest again";
    time.advance(tooltipRestSeconds / 2);
    ASSERT_TRUE(window->tooltip);
    EXPECT_EQ(*window->tooltip, QStringLiteral("Calendar"));
    window->pointer({PanelPointerEvent::Kind::press, 1, pixel, 0});
    EXPECT_FALSE(window->tooltip);
    window->pointer({PanelPointerEvent::Kind::release, 1, pixel, 0});
    time.advance(1);
    window->pointer({PanelPointerEvent::Kind::move, 0, pixel, 0});
    time.advance(tooltipRestSeconds + 0.01);
    EXPECT_TRUE(window->tooltip);
    window->pointer({PanelPointerEvent::Kind::leave, 0, QPointF(), 0});
    EXPECT_FALSE(window->tooltip);
    // Plain text on one line, markup as it stands.
    EXPECT_EQ(plainTooltipText(QStringLiteral(" <b>x\nline ")), QStringLiteral("<b>x line"));
    NotchViewSlots::standard() = saved;
}
