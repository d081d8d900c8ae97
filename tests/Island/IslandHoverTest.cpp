#include "Island/Cursor.h"
#include "Island/IslandHover.h"
#include "Island/IslandLayer.h"

#include "Model/IslandTestSupport.h"
#include "Kit/Kit.h"

using namespace kit;
using namespace vesk;

namespace {

class IslandHoverTest : public test::PlatformTest {
protected:
    void SetUp() override
    {
        model = settledPrimary();
        model->hapticFeedback = true;
        haptics.take();
        Cursor::set(Qt::ArrowCursor);
    }
    std::shared_ptr<NotchViewModel> model;
};

using ClickableCursor = IslandHoverTest;
using IslandHoverModifier = IslandHoverTest;

}  // namespace

TEST_F(ClickableCursor, HiddenLayerTakesNoHoverButLeavingAlwaysCounts)
{
    clickableHoverChanged(model.get(), false, true, true);
    EXPECT_EQ(model->hoveredControls, 0);
    EXPECT_EQ(Cursor::current(), Qt::ArrowCursor);
    EXPECT_TRUE(haptics.take().empty());

    clickableHoverChanged(model.get(), true, false, true);
    EXPECT_EQ(model->hoveredControls, 1);
    EXPECT_EQ(Cursor::current(), Qt::PointingHandCursor);
    // The layer hid meanwhile; leaving still counts, and stops at 0.
    clickableHoverChanged(model.get(), false, false, false);
    EXPECT_EQ(model->hoveredControls, 0);
    EXPECT_EQ(Cursor::current(), Qt::ArrowCursor);
    clickableHoverChanged(model.get(), false, false, false);
    EXPECT_EQ(model->hoveredControls, 0);
}

TEST_F(ClickableCursor, OverlappingControlsNeverGoBelowZero)
{
    clickableHoverChanged(model.get(), true, false, true);
    clickableHoverChanged(model.get(), true, false, true);
    EXPECT_EQ(model->hoveredControls, 2);
    clickableHoverChanged(model.get(), true, false, false);
    EXPECT_EQ(model->hoveredControls, 1);
    clickableHoverChanged(model.get(), true, false, false);
    clickableHoverChanged(model.get(), true, false, false);
    EXPECT_EQ(model->hoveredControls, 0);
}

TEST_F(ClickableCursor, TapsOnHoverOnlyWithHapticFeedback)
{
    clickableHoverChanged(model.get(), true, true, true);
    const auto entries = haptics.take();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].pattern, HapticPattern::alignment);
    EXPECT_EQ(entries[0].performer, model.get());

    clickableHoverChanged(model.get(), true, false, true);
    model->hapticFeedback = false;
    clickableHoverChanged(model.get(), true, true, true);
    EXPECT_TRUE(haptics.take().empty());
}

TEST_F(ClickableCursor, PointerOverAControlInATree)
{
    Tree tree(QSizeF(200, 100));
    Observed<bool> visible{true};
    std::vector<Qt::CursorShape> shapes;
    Connection c = Cursor::changed().connect([&](Qt::CursorShape s) { shapes.push_back(s); });
    tree.setRoot(Observe([&](const Env &) {
        return islandLayer(clickableCursor(Fill(Color::white()).frame(100, 50), true), visible.get(), 0)
            .environment(islandModel, model.get());
    }));
    time.advance(1);
    tree.handlePointer(PointerEvent::move(QPointF(100, 50)));
    EXPECT_EQ(model->hoveredControls, 1);
    EXPECT_EQ(haptics.take().size(), 1u);
    tree.handlePointer(PointerEvent::move(QPointF(5, 5)));
    EXPECT_EQ(model->hoveredControls, 0);
    EXPECT_EQ(shapes, (std::vector<Qt::CursorShape>{Qt::PointingHandCursor, Qt::ArrowCursor}));

    visible = false;
    time.advance(1);
    tree.handlePointer(PointerEvent::move(QPointF(100, 50)));
    EXPECT_EQ(model->hoveredControls, 0);
    EXPECT_TRUE(haptics.take().empty());
}

TEST_F(IslandHoverModifier, FadingLayerUnhoversItsViewOnce)
{
    Tree tree(QSizeF(200, 100));
    Observed<bool> visible{true};
    std::vector<bool> reports;
    tree.setRoot(Observe([&](const Env &) {
        return islandLayer(islandHover(Fill(Color::white()).frame(100, 50), [&](bool h) { reports.push_back(h); }),
                           visible.get(), 0);
    }));
    time.advance(1);
    EXPECT_TRUE(reports.empty());  // no report at first appearance
    tree.handlePointer(PointerEvent::move(QPointF(100, 50)));
    EXPECT_EQ(reports, std::vector<bool>{true});

    visible = false;
    time.advance(1);
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));
    visible = true;
    time.advance(1);
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));
}
