#include "Island/IslandHover.h"
#include "Island/IslandLayer.h"

#include "KitNodeSupport.h"
#include "Kit/Kit.h"
#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;
using namespace vesk;
using test::findKind;

namespace {

class IslandLayers : public ::testing::Test {
protected:
    void show(Element root)
    {
        tree.setRoot(std::move(root));
        time.flush();
    }
    double blur() const { return findKind(tree.root(), "Blur")->value(Prop::blur, 0); }
    double opacity() const { return findKind(tree.root(), "Opacity")->value(Prop::opacity, 1); }

    VirtualTime time;
    Tree tree{QSizeF(200, 100)};
    Observed<bool> visible{false};
    Observed<double> width{200};
};

// A layer of a white box that records what its inside reads as its layer's visibility.
Element layer(const Observed<bool> &visible, double delay, bool *seenVisible)
{
    return Observe([&visible, delay, seenVisible](const Env &) {
        Element box = Observe([seenVisible](const Env &env) {
            *seenVisible = env[isIslandLayerVisible];
            return Fill(Color::white()).frame(100, 50);
        });
        return islandLayer(box, visible.get(), delay);
    });
}

}  // namespace

TEST_F(IslandLayers, HiddenLayerIsBlurredTransparentAndDeaf)
{
    bool seen = true;
    show(layer(visible, 0, &seen));
    EXPECT_DOUBLE_EQ(blur(), 12);
    EXPECT_DOUBLE_EQ(opacity(), 0);
    EXPECT_FALSE(tree.hitsSomething(QPointF(100, 50)));
    EXPECT_FALSE(seen);
    // Still in place: it keeps its frame.
    EXPECT_EQ(findKind(tree.root(), "Blur")->frame().size(), QSizeF(100, 50));

    visible = true;
    time.flush();
    EXPECT_TRUE(seen);
    time.advance(1);
    EXPECT_TRUE(tree.hitsSomething(QPointF(100, 50)));
    EXPECT_DOUBLE_EQ(blur(), 0);
    EXPECT_DOUBLE_EQ(opacity(), 1);
}

TEST_F(IslandLayers, ShowingWaitsItsDelayHidingDoesNot)
{
    bool seen = false;
    show(layer(visible, 0.2, &seen));
    visible = true;
    time.flush();
    time.advance(0.19);
    EXPECT_DOUBLE_EQ(opacity(), 0);
    EXPECT_DOUBLE_EQ(blur(), 12);
    time.advance(0.06);
    EXPECT_GT(opacity(), 0);
    EXPECT_LT(blur(), 12);
    time.advance(1);
    EXPECT_NEAR(opacity(), 1, 1e-3);
    EXPECT_NEAR(blur(), 0, 1e-2);

    // Hiding starts at once (after the fade curves' own short lead of 0.04 s), never after 0.2 s.
    visible = false;
    time.flush();
    EXPECT_FALSE(tree.hitsSomething(QPointF(100, 50)));
    time.advance(0.1);
    EXPECT_LT(opacity(), 1);
    EXPECT_GT(blur(), 0);
    time.advance(0.2);
    EXPECT_DOUBLE_EQ(opacity(), 0);
    EXPECT_DOUBLE_EQ(blur(), 12);
}

TEST_F(IslandLayers, MountedWhileShownOutlivesAHideBy0_6Seconds)
{
    int builds = 0;
    visible = true;
    show(Observe([&](const Env &) {
        return MountedWhileShown(visible.get(), [&] {
            ++builds;
            return Fill(Color::white()).frame(100, 50).id(QStringLiteral("content"));
        });
    }));
    const Node *content = tree.find(QStringLiteral("content"));
    ASSERT_NE(content, nullptr);

    // Hidden, then shown again within 0.6 s: the very same content node, state and all.
    visible = false;
    time.flush();
    time.advance(0.5);
    EXPECT_EQ(tree.find(QStringLiteral("content")), content);
    visible = true;
    time.flush();
    time.advance(0.3);  // the first hide's unmount would have fallen here
    EXPECT_EQ(tree.find(QStringLiteral("content")), content);

    // Only the last hide unmounts, 0.6 s after it.
    visible = false;
    time.flush();
    time.advance(0.59);
    EXPECT_EQ(tree.find(QStringLiteral("content")), content);
    EXPECT_DOUBLE_EQ(opacity(), 0);
    time.advance(0.02);
    time.advance(1);  // let the removal finish
    EXPECT_EQ(tree.find(QStringLiteral("content")), nullptr);

    // Showing it again builds it anew.
    const int before = builds;
    visible = true;
    time.flush();
    EXPECT_NE(tree.find(QStringLiteral("content")), nullptr);
    EXPECT_GT(builds, before);
}

TEST_F(IslandLayers, MountedWhileShownMadeHiddenShowsNothing)
{
    int builds = 0;
    show(MountedWhileShown(false, [&] {
        ++builds;
        return Fill(Color::white()).frame(100, 50);
    }));
    time.advance(1);
    EXPECT_EQ(builds, 0);
    EXPECT_FALSE(tree.hitsSomething(QPointF(100, 50)));
}

TEST_F(IslandLayers, IslandWidthFollowsThenFreezesHalfASecondAfterHiding)
{
    visible = true;
    show(Observe([&](const Env &) {
        return IslandWidth(Fill(Color::white()).id(QStringLiteral("content")), width.get(), visible.get());
    }));
    auto contentWidth = [&] { return tree.find(QStringLiteral("content"))->frame().width(); };
    EXPECT_DOUBLE_EQ(contentWidth(), 200);

    withoutAnimation([&] { visible = false; });
    time.flush();
    time.advance(0.2);
    withoutAnimation([&] { width = 150; });
    time.flush();
    EXPECT_DOUBLE_EQ(contentWidth(), 150);  // still following while it fades
    time.advance(0.31);
    EXPECT_DOUBLE_EQ(contentWidth(), 200);  // frozen at the width of the moment it hid
    withoutAnimation([&] { width = 320; });
    time.flush();
    EXPECT_DOUBLE_EQ(contentWidth(), 200);

    withoutAnimation([&] { visible = true; });
    time.flush();
    EXPECT_DOUBLE_EQ(contentWidth(), 320);  // shown again: the live width at once

    // A hide cancelled by a show before 0.5 s never freezes.
    withoutAnimation([&] { visible = false; });
    time.flush();
    time.advance(0.3);
    withoutAnimation([&] { visible = true; });
    time.flush();
    time.advance(0.5);
    withoutAnimation([&] { width = 100; });
    time.flush();
    EXPECT_DOUBLE_EQ(contentWidth(), 100);
}

TEST_F(IslandLayers, SwitchPulseTransitionsOncePerNewVersion)
{
    Observed<int> version{1};
    show(Observe([&](const Env &) {
        return switchPulse(Fill(Color::white()).frame(100, 20), version.get());
    }));
    const Node *stack = findKind(tree.root(), "ZStack");
    ASSERT_NE(stack, nullptr);
    auto leaving = [&] {
        int count = 0;
        for (const auto &c : stack->children())
            count += c->isLeaving() ? 1 : 0;
        return count;
    };
    version = 1;
    time.flush();
    EXPECT_EQ(leaving(), 0);

    version = 2;
    time.flush();
    time.advance(0.05);
    EXPECT_EQ(leaving(), 1);
    time.advance(2);
    EXPECT_EQ(leaving(), 0);

    version = 3;
    time.flush();
    time.advance(0.05);
    EXPECT_EQ(leaving(), 1);
}
