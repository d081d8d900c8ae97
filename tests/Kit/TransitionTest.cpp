#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

class Transitions : public ::testing::Test {
protected:
    // A 10 x 10 square at the top of a 20 x 40 tree, present while `shown`.
    void showSquare(const Transition &transition)
    {
        tree.setRoot(Observe([this, transition](const Env &) {
            return ZStack({.alignment = Alignment::top()},
                          Fill(Color::clear()).frame(20, 40),
                          If(shown.get(), Fill(Color::white()).frame(10, 10).transition(transition).id(7)));
        }));
    }
    int alphaAt(int x, int y) { return qAlpha(tree.render(1).pixel(x, y)); }
    vesk::VirtualTime time;
    Tree tree{QSizeF(20, 40)};
    vesk::Observed<bool> shown{false};
};

}  // namespace

TEST_F(Transitions, RemovalKeepsTheNodeUntilItsTransitionEnds)
{
    shown = true;
    showSquare(Transition::opacity());
    ASSERT_NE(tree.find(7), nullptr);
    withAnimation(Animation::linear(0.3), [&] { shown = false; });
    time.flush();
    time.advance(0.15);
    Node *leaving = tree.find(7);
    ASSERT_NE(leaving, nullptr);
    EXPECT_TRUE(tree.dump().contains(QStringLiteral("leaving")));
    EXPECT_NEAR(alphaAt(10, 5), 128, 3);  // half faded
    time.advance(0.2);
    EXPECT_EQ(tree.find(7), nullptr);
    EXPECT_EQ(alphaAt(10, 5), 0);
    EXPECT_FALSE(tree.isAnimating());
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST_F(Transitions, RemovalWithoutAnimationIsImmediate)
{
    shown = true;
    showSquare(Transition::opacity());
    shown = false;
    time.flush();
    EXPECT_EQ(tree.find(7), nullptr);
}

TEST_F(Transitions, AsymmetricTransitionUsesItsInsertionHalfOnInsertion)
{
    // Inserted: slides down from 20 points lower. Removed: shrinks to nothing about its centre.
    showSquare(Transition::asymmetric(Transition::offset(0, 20), Transition::scale(0)));
    withAnimation(Animation::linear(1), [&] { shown = true; });
    time.flush();
    time.advance(0.5);
    EXPECT_EQ(alphaAt(5, 3), 0);      // not at its place yet
    EXPECT_EQ(alphaAt(5, 15), 255);   // 10 points lower half way
    time.advance(0.6);
    EXPECT_EQ(alphaAt(5, 3), 255);

    withAnimation(Animation::linear(1), [&] { shown = false; });
    time.flush();
    time.advance(0.5);
    EXPECT_EQ(alphaAt(5, 15), 0);     // the removal half does not slide
    EXPECT_EQ(alphaAt(10, 5), 255);   // it shrinks about its centre, to 5 x 5 half way
    EXPECT_EQ(alphaAt(6, 5), 0);
}

TEST_F(Transitions, InsertAtOnceRemoveByFading)
{
    showSquare(Transition::insertAtOnceRemoveByFading());
    withAnimation(Animation::linear(1), [&] { shown = true; });
    time.flush();
    EXPECT_EQ(alphaAt(5, 5), 255);
    withAnimation(Animation::linear(1), [&] { shown = false; });
    time.flush();
    time.advance(0.5);
    EXPECT_NEAR(alphaAt(5, 5), 128, 3);
}

TEST_F(Transitions, CombinedAndBlurReplace)
{
    const Transition t = Transition::opacity().combined(Transition::scale(0.5));
    EXPECT_EQ(t.insertion.opacity, 0);
    EXPECT_EQ(t.insertion.scale, 0.5);
    const TransitionEffect half = Transition::blurReplace(8).insertion.at(0.5);
    EXPECT_DOUBLE_EQ(half.opacity, 0.5);
    EXPECT_DOUBLE_EQ(half.blur, 4);
    EXPECT_EQ(Transition::numericText().insertion.offsetY, -Transition::numericText().removal.offsetY);

    showSquare(Transition::blurReplace(8));
    withAnimation(Animation::linear(1), [&] { shown = true; });
    time.flush();
    time.advance(0.5);
    EXPECT_GT(alphaAt(10, 12), 0);  // blurred beyond its edge while coming in
    time.advance(0.6);
    EXPECT_EQ(alphaAt(10, 12), 0);
}

TEST_F(Transitions, ANewIdentityReplacesTheOldNodeThroughBothHalves)
{
    vesk::Observed<int> version{1};
    tree.setRoot(Observe([&](const Env &) {
        return ZStack({}, Text(QStringLiteral("v%1").arg(version.get()))
                              .id(version.get())
                              .transition(Transition::asymmetric(Transition::offset(0, 4).combined(Transition::opacity()),
                                                                 Transition::offset(0, -4).combined(Transition::opacity()))));
    }));
    withAnimation(Animation::spring(0.45, 1.0), [&] { version = 2; });
    time.flush();
    time.advance(0.05);
    EXPECT_NE(tree.find(1), nullptr);
    EXPECT_NE(tree.find(2), nullptr);
    time.advance(2);
    EXPECT_EQ(tree.find(1), nullptr);
    EXPECT_NE(tree.find(2), nullptr);
    // The same version again: no transition at all.
    withAnimation(Animation::spring(0.45, 1.0), [&] { version = 2; });
    time.flush();
    EXPECT_FALSE(tree.isAnimating());
}

TEST_F(Transitions, NumericTextRollsTheOldValueAway)
{
    vesk::Observed<int> value{41};
    tree.setSize({60, 30});
    tree.setRoot(Observe([&](const Env &) {
        return Text(QString::number(value.get()), Font::system(20, Weight::bold), Color::white())
            .contentTransition(ContentTransition::numericText);
    }));
    const QImage before = tree.render(1);
    withAnimation(Animation::linear(1), [&] { value = 42; });
    time.flush();
    time.advance(0.5);
    const Node *text = tree.root()->children().front()->children().front().get();
    ASSERT_STREQ(text->spec().kind(), "Text");
    EXPECT_NEAR(text->value(Prop::content, -1), 0.5, 0.02);
    const QImage mid = tree.render(1);
    time.advance(0.6);
    const QImage after = tree.render(1);
    EXPECT_NE(mid, before);
    EXPECT_NE(mid, after);
    // Without animation the text switches at once.
    value = 43;
    time.flush();
    EXPECT_EQ(text->value(Prop::content, 1), 1);
}
