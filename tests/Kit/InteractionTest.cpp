#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

class Interaction : public ::testing::Test {
protected:
    void show(Element root)
    {
        tree.setRoot(std::move(root));
    }
    void click(QPointF p)
    {
        tree.handlePointer(PointerEvent::move(p));
        tree.handlePointer(PointerEvent::press(p));
        tree.handlePointer(PointerEvent::release(p));
    }
    vesk::VirtualTime time;
    Tree tree{QSizeF(100, 100)};
};

}  // namespace

TEST_F(Interaction, HitTestingHonoursContentShapeAndItsSwitch)
{
    // A 40 x 40 square whose hit area is the circle inside it.
    show(Fill(Color::white()).frame(40, 40).contentShape(Circle()).id(1));
    EXPECT_TRUE(tree.hitsSomething({50, 50}));
    EXPECT_FALSE(tree.hitsSomething({32, 32}));  // the square's corner, outside the circle
    EXPECT_FALSE(tree.hitsSomething({5, 5}));
    const auto hits = tree.hitTest({50, 50});
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(hits.front().node, tree.root());
    EXPECT_EQ(hits.back().local, QPointF(20, 20));  // in the square's own coordinates

    show(Fill(Color::white()).frame(40, 40).allowsHitTesting(false));
    EXPECT_FALSE(tree.hitsSomething({50, 50}));
    // A switched-off overlay lets the hits through to what is under it.
    int taps = 0;
    show(Fill(Color::white()).frame(40, 40).onTap([&](QPointF) { ++taps; }).overlay(Fill(Color::black()).allowsHitTesting(false)));
    click({50, 50});
    EXPECT_EQ(taps, 1);
}

TEST_F(Interaction, ALayerHiddenWithOpacityAndBlurTakesNoHits)
{
    int taps = 0;
    show(Fill(Color::white()).frame(40, 40).onTap([&](QPointF) { ++taps; }).blur(12).opacity(0));
    click({50, 50});
    EXPECT_EQ(taps, 0);
    EXPECT_FALSE(tree.hitsSomething({50, 50}));
    show(Fill(Color::white()).frame(40, 40).onTap([&](QPointF) { ++taps; }).blur(12).opacity(1));
    click({50, 50});
    EXPECT_EQ(taps, 1);
}

TEST_F(Interaction, HoverEnterAndLeavePairUp)
{
    std::vector<QString> events;
    show(ZStack({},
                Fill(Color::white())
                    .frame(20, 20)
                    .onHover([&](bool in) { events.push_back(in ? QStringLiteral("inner+") : QStringLiteral("inner-")); }))
             .frame(60, 60)
             .contentShape(Rectangle())
             .onHover([&](bool in) { events.push_back(in ? QStringLiteral("outer+") : QStringLiteral("outer-")); }));
    tree.handlePointer(PointerEvent::move({25, 25}));  // outer only
    tree.handlePointer(PointerEvent::move({50, 50}));  // both
    tree.handlePointer(PointerEvent::move({51, 50}));  // no change
    tree.handlePointer(PointerEvent::move({30, 30}));  // outer only again
    tree.handlePointer(PointerEvent::move({50, 50}));  // both
    tree.handlePointer(PointerEvent::leave());
    EXPECT_EQ(events, (std::vector<QString>{"outer+", "inner+", "inner-", "inner+", "inner-", "outer-"}));
    // Moving out of the tree's content also leaves.
    events.clear();
    tree.handlePointer(PointerEvent::move({50, 50}));
    tree.handlePointer(PointerEvent::move({5, 5}));
    EXPECT_EQ(events, (std::vector<QString>{"outer+", "inner+", "inner-", "outer-"}));
}

TEST_F(Interaction, HoverFollowsContentThatMovesUnderAStillPointer)
{
    vesk::Observed<double> x{0};
    int inside = 0;
    show(Observe([&](const Env &) {
        return Fill(Color::white()).frame(20, 20).onHover([&](bool in) { inside += in ? 1 : -1; }).offset(x.get(), 0);
    }));
    tree.handlePointer(PointerEvent::move({50, 50}));
    EXPECT_EQ(inside, 1);
    x = 30;  // moves away from the pointer
    time.flush();
    EXPECT_EQ(inside, 0);
}

TEST_F(Interaction, PressClickAndDragCarryLocations)
{
    std::vector<QPointF> taps;
    std::vector<std::pair<bool, QPointF>> presses;
    show(Fill(Color::white())
             .frame(40, 40)
             .onTap([&](QPointF p) { taps.push_back(p); })
             .onPress([&](bool down, QPointF p) { presses.push_back({down, p}); }));
    // The innermost handler takes the press: here the tap.
    click({35, 40});
    EXPECT_TRUE(presses.empty());
    ASSERT_EQ(taps.size(), 1u);
    EXPECT_EQ(taps[0], QPointF(5, 10));  // in the square's own coordinates

    show(Fill(Color::white()).frame(40, 40).onPress([&](bool down, QPointF p) { presses.push_back({down, p}); }));
    tree.handlePointer(PointerEvent::press({35, 40}));
    tree.handlePointer(PointerEvent::release({90, 90}));
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_TRUE(presses[0].first);
    EXPECT_EQ(presses[0].second, QPointF(5, 10));
    EXPECT_FALSE(presses[1].first);
    EXPECT_EQ(presses[1].second, QPointF(60, 60));  // released outside, still told where

    show(Fill(Color::white()).frame(40, 40).onTap([&](QPointF p) { taps.push_back(p); }));
    // Released outside: no click.
    tree.handlePointer(PointerEvent::press({35, 40}));
    tree.handlePointer(PointerEvent::release({90, 90}));
    EXPECT_EQ(taps.size(), 1u);

    std::vector<DragValue> changed, ended;
    show(Fill(Color::white()).frame(40, 40).onDrag([&](const DragValue &v) { changed.push_back(v); },
                                                   [&](const DragValue &v) { ended.push_back(v); }));
    tree.handlePointer(PointerEvent::press({40, 40}));
    tree.handlePointer(PointerEvent::move({41, 40}));  // below the minimum distance
    EXPECT_TRUE(changed.empty());
    tree.handlePointer(PointerEvent::move({55, 46}));
    tree.handlePointer(PointerEvent::move({90, 46}));  // beyond the element: still its drag
    tree.handlePointer(PointerEvent::release({90, 46}));
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0].start, QPointF(10, 10));
    EXPECT_EQ(changed[0].translation(), QPointF(15, 6));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].translation(), QPointF(50, 6));
}

TEST_F(Interaction, DragWithoutMinimumDistanceActsAtThePressAndAlwaysEnds)
{
    std::vector<DragValue> changed, ended;
    show(Fill(Color::white()).frame(40, 40).onDrag([&](const DragValue &v) { changed.push_back(v); },
                                                   [&](const DragValue &v) { ended.push_back(v); }, 0));
    // A click is a drag of no length: one change at the press location, then its end.
    tree.handlePointer(PointerEvent::press({42, 40}));
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].location, QPointF(12, 10));
    EXPECT_EQ(changed[0].translation(), QPointF(0, 0));
    EXPECT_TRUE(ended.empty());
    tree.handlePointer(PointerEvent::release({42, 40}));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].location, QPointF(12, 10));

    // Moved, then released far outside: every move is a change, and the end still comes.
    tree.handlePointer(PointerEvent::press({31, 31}));
    tree.handlePointer(PointerEvent::move({31.5, 31}));
    tree.handlePointer(PointerEvent::move({200, 31}));
    tree.handlePointer(PointerEvent::release({200, 31}));
    ASSERT_EQ(changed.size(), 4u);
    EXPECT_EQ(changed[2].location, QPointF(1.5, 1));
    EXPECT_EQ(changed[3].location, QPointF(170, 1));
    ASSERT_EQ(ended.size(), 2u);

    // A drag that needs distance still reports no end for a click.
    show(Fill(Color::white()).frame(40, 40).onDrag([&](const DragValue &v) { changed.push_back(v); },
                                                   [&](const DragValue &v) { ended.push_back(v); }));
    click({42, 40});
    EXPECT_EQ(changed.size(), 4u);
    EXPECT_EQ(ended.size(), 2u);
}

TEST_F(Interaction, ScaledAndOffsetContentIsHitWhereItIsDrawn)
{
    int taps = 0;
    show(Fill(Color::white()).frame(40, 40).onTap([&](QPointF) { ++taps; }).scaleEffect(0.5).offset(20, 0));
    click({30, 50});  // where the unscaled square would have been
    EXPECT_EQ(taps, 0);
    click({70, 50});
    EXPECT_EQ(taps, 1);
}

TEST_F(Interaction, CursorTooltipAndContextMenu)
{
    std::vector<Qt::CursorShape> cursors;
    auto connection = tree.cursorChanged.connect([&](Qt::CursorShape c) { cursors.push_back(c); });
    std::vector<QString> menus;
    auto menuConnection = tree.contextMenuRequested.connect([&](const std::vector<MenuItem> &items, QPointF) {
        for (const MenuItem &item : items)
            menus.push_back(item.isDivider ? QStringLiteral("-") : item.title);
    });
    show(Fill(Color::white())
             .frame(40, 40)
             .cursor(Qt::PointingHandCursor)
             .tooltip(QStringLiteral("Play"))
             .contextMenu({{QStringLiteral("Settings\u2026"), [] {}}, MenuItem::divider(), {QStringLiteral("Quit Vesk"), [] {}}}));
    tree.handlePointer(PointerEvent::move({50, 50}));
    EXPECT_EQ(tree.cursor(), Qt::PointingHandCursor);
    tree.handlePointer(PointerEvent::move({5, 5}));
    EXPECT_EQ(cursors, (std::vector<Qt::CursorShape>{Qt::PointingHandCursor, Qt::ArrowCursor}));
    EXPECT_EQ(tree.tooltipAt({50, 50}), QStringLiteral("Play"));
    EXPECT_EQ(tree.tooltipAt({5, 5}), std::nullopt);
    EXPECT_TRUE(tree.handlePointer(PointerEvent::press({50, 50}, Qt::RightButton)));
    EXPECT_EQ(menus, (std::vector<QString>{QStringLiteral("Settings\u2026"), QStringLiteral("-"), QStringLiteral("Quit Vesk")}));
    EXPECT_FALSE(tree.handlePointer(PointerEvent::press({5, 5}, Qt::RightButton)));
}

TEST_F(Interaction, PlainButtonDimsWhileHeldAndActsOnClick)
{
    int actions = 0;
    show(Button(Text(QStringLiteral("Quit")), [&] { ++actions; }));
    const QPointF centre = tree.root()->frame().center();
    tree.handlePointer(PointerEvent::press(centre));
    time.advance(0.1);
    EXPECT_NEAR(tree.root()->value(Prop::opacity, 1), 0.6, 1e-6);
    tree.handlePointer(PointerEvent::release(centre));
    EXPECT_EQ(actions, 1);
    time.advance(0.3);
    EXPECT_EQ(tree.root()->value(Prop::opacity, 0), 1);
    // Disabled: no action.
    show(Button(Text(QStringLiteral("Quit")), [&] { ++actions; }).disabled());
    click(centre);
    EXPECT_EQ(actions, 1);
}

TEST_F(Interaction, AStyledButtonIsDescribedFromItsPressedStateAndDoesNotDim)
{
    int actions = 0;
    std::vector<bool> described;
    show(Button(
        Fill(Color::white()).frame(40, 40), [&] { ++actions; },
        [&](Element label, bool pressed) {
            described.push_back(pressed);
            return label.opacity(pressed ? 0.5 : 1);
        }));
    ASSERT_EQ(described, std::vector<bool>{false});
    tree.handlePointer(PointerEvent::press({50, 50}));
    time.flush();
    EXPECT_EQ(described.back(), true);
    EXPECT_EQ(actions, 0);
    // The style alone decides the look: the button's own dimming stays off.
    const Node *button = tree.root();
    while (button && std::string(button->spec().kind()) != "Button")
        button = button->children().empty() ? nullptr : button->children().front().get();
    ASSERT_TRUE(button);
    time.advance(0.1);
    EXPECT_EQ(button->value(Prop::opacity, 1), 1);
    tree.handlePointer(PointerEvent::release({50, 50}));
    time.flush();
    EXPECT_EQ(described.back(), false);
    EXPECT_EQ(actions, 1);

    // Let go outside: no action, and the press ends all the same.
    tree.handlePointer(PointerEvent::press({50, 50}));
    time.flush();
    EXPECT_EQ(described.back(), true);
    tree.handlePointer(PointerEvent::release({2, 2}));
    time.flush();
    EXPECT_EQ(described.back(), false);
    EXPECT_EQ(actions, 1);
    // Outside the label nothing is pressed: the style adds no hit area.
    const size_t before = described.size();
    tree.handlePointer(PointerEvent::press({2, 2}));
    time.flush();
    EXPECT_EQ(described.size(), before);
}

TEST_F(Interaction, AHoveredElementThatGoesAwayHearsTheLeave)
{
    vesk::Observed<bool> present{true};
    int inside = 0;
    show(Observe([&](const Env &) {
        return ZStack({}, Fill(Color::clear()).frame(100, 100),
                      If(present.get(), Fill(Color::white()).frame(40, 40).onHover([&](bool in) { inside += in ? 1 : -1; })));
    }));
    tree.handlePointer(PointerEvent::move({50, 50}));
    EXPECT_EQ(inside, 1);
    present = false;  // removed at once, no transition
    time.flush();
    EXPECT_EQ(inside, 0);

    present = true;
    time.flush();
    tree.handlePointer(PointerEvent::move({51, 50}));
    EXPECT_EQ(inside, 1);
    withAnimation(Animation::linear(0.5), [&] { present = false; });  // leaving through a fade
    time.flush();
    EXPECT_EQ(inside, 0);
    time.advance(1);
    EXPECT_EQ(inside, 0);
}
