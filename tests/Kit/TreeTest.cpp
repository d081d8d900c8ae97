#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

struct Model {
    vesk::Observed<double> width{20};
    vesk::Observed<bool> flag{false};
    vesk::Observed<int> other{0};
};

// A view that reads the model's width (and counts its evaluations).
struct BarView {
    const Model *model;
    int *evaluations;
    Element body(const Env &) const
    {
        ++*evaluations;
        return Fill(Color::white()).frame(model->width.get(), 10).id(QStringLiteral("bar"));
    }
    friend bool operator==(const BarView &a, const BarView &b) { return a.model == b.model; }
};

class TreeFixture : public ::testing::Test {
protected:
    double barWidth() { return tree.find(QStringLiteral("bar"))->frame().width(); }
    vesk::VirtualTime time;
    Tree tree{QSizeF(200, 50)};
    Model model;
    int evaluations = 0;
};

using Reconcile = TreeFixture;
using Transactions = TreeFixture;

}  // namespace

TEST_F(Reconcile, ViewReevaluatesOnlyWhenWhatItReadChanges)
{
    tree.setRoot(view(BarView{&model, &evaluations}));
    EXPECT_EQ(evaluations, 1);
    EXPECT_EQ(barWidth(), 20);

    model.other = 5;  // not read by the view
    time.flush();
    EXPECT_EQ(evaluations, 1);

    model.width = 40;
    EXPECT_EQ(evaluations, 1);  // deferred to the main queue
    time.flush();
    EXPECT_EQ(evaluations, 2);
    EXPECT_EQ(barWidth(), 40);

    model.width = 40;  // an equal write notifies nobody
    time.flush();
    EXPECT_EQ(evaluations, 2);

    // Describing the same view value again does not evaluate its body.
    tree.setRoot(view(BarView{&model, &evaluations}));
    EXPECT_EQ(evaluations, 2);
}

TEST_F(Reconcile, RetainedNodesSurviveByPositionAndById)
{
    auto rows = [](std::vector<QString> ids, bool withHeader) {
        Elements children;
        children.push_back(If(withHeader, Text(QStringLiteral("header"))));
        for (const QString &id : ids)
            children.push_back(Fill(Color::white()).frame(10, 10).id(id));
        return VStack({}, children);
    };
    tree.setRoot(rows({"a", "b", "c"}, false));
    Node *a = tree.find(QStringLiteral("a"));
    Node *c = tree.find(QStringLiteral("c"));
    // Reordered and with the header switched on: keyed nodes are the same nodes.
    tree.setRoot(rows({"c", "a"}, true));
    EXPECT_EQ(tree.find(QStringLiteral("a")), a);
    EXPECT_EQ(tree.find(QStringLiteral("c")), c);
    EXPECT_EQ(tree.find(QStringLiteral("b")), nullptr);
    EXPECT_LT(tree.find(QStringLiteral("c"))->frame().y(), tree.find(QStringLiteral("a"))->frame().y());
}

TEST_F(Reconcile, KindChangeAtAPositionReplacesTheNode)
{
    tree.setRoot(ZStack({}, Text(QStringLiteral("x")).id(1)));
    Node *before = tree.find(1);
    tree.setRoot(ZStack({}, Fill(Color::white()).id(1)));
    EXPECT_NE(tree.find(1), nullptr);
    EXPECT_NE(tree.find(1)->children().front()->spec().kind(), std::string("Text"));
    (void)before;
}

TEST_F(Transactions, ChangeInsideAnimatedTransactionAnimates)
{
    tree.setRoot(view(BarView{&model, &evaluations}));
    withAnimation(Animation::easeInOut(0.4), [&] { model.width = 120; });
    time.flush();
    EXPECT_EQ(barWidth(), 20);  // starts from where it was
    time.advance(0.2);
    EXPECT_NEAR(barWidth(), 70, 1);  // half way at half time (symmetric curve)
    time.advance(0.3);
    EXPECT_EQ(barWidth(), 120);
    EXPECT_FALSE(tree.isAnimating());
    // Nothing moves: no frame, no timer.
    EXPECT_FALSE(FrameDriver::shared().isScheduled());
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST_F(Transactions, ChangeInsideDisabledTransactionJumps)
{
    tree.setRoot(view(BarView{&model, &evaluations}).animation(Animation::linear(1), model.width.peek()));
    withoutAnimation([&] { model.width = 90; });
    time.flush();
    EXPECT_EQ(barWidth(), 90);
    EXPECT_FALSE(tree.isAnimating());
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST_F(Transactions, ChangeOutsideAnyTransactionJumps)
{
    tree.setRoot(view(BarView{&model, &evaluations}));
    model.width = 90;
    time.flush();
    EXPECT_EQ(barWidth(), 90);
    EXPECT_FALSE(tree.isAnimating());
}

TEST_F(Transactions, ImplicitAnimationsFollowTheirPrecedence)
{
    // Inner animation on `flag`, outer on `other`: when both change the inner one wins; when only
    // the outer value changes, the outer one applies; a disabled transaction beats both.
    auto root = [&] {
        return Observe([&](const Env &) {
            return Fill(Color::white())
                .frame(model.width.get(), 10)
                .id(QStringLiteral("bar"))
                .animation(Animation::linear(1), model.flag.get())
                .animation(Animation::linear(0.2), model.other.get());
        });
    };
    tree.setRoot(root());

    model.width = 120;
    model.flag = true;
    model.other = 1;
    time.flush();
    time.advance(0.1);
    EXPECT_NEAR(barWidth(), 30, 0.01);  // linear over 1 s

    time.advance(1);
    model.width = 20;
    model.other = 2;
    time.flush();
    time.advance(0.1);
    EXPECT_NEAR(barWidth(), 70, 0.01);  // linear over 0.2 s

    time.advance(1);
    withoutAnimation([&] {
        model.width = 200;
        model.flag = false;
    });
    time.flush();
    EXPECT_EQ(barWidth(), 200);

    // The watched value unchanged: no implicit animation, and no outer transaction either.
    time.advance(1);
    model.width = 100;
    time.flush();
    EXPECT_EQ(barWidth(), 100);
}

TEST_F(Transactions, ImplicitAnimationBeatsTheExplicitTransaction)
{
    tree.setRoot(Observe([&](const Env &) {
        return Fill(Color::white()).frame(model.width.get(), 10).id(QStringLiteral("bar")).animation(Animation::linear(1), model.flag.get());
    }));
    withAnimation(Animation::linear(0.2), [&] {
        model.width = 120;
        model.flag = true;
    });
    time.flush();
    time.advance(0.1);
    EXPECT_NEAR(barWidth(), 30, 0.01);
}

TEST_F(Transactions, OwnCurveOfOneModifierLeavesTheRestToTheTransaction)
{
    tree.setRoot(Observe([&](const Env &) {
        const bool on = model.flag.get();
        return Fill(Color::white()).frame(on ? 100 : 20, 10).id(QStringLiteral("bar")).opacity(on ? 1 : 0).animated(Animation::linear(1));
    }));
    withAnimation(Animation::linear(0.2), [&] { model.flag = true; });
    time.flush();
    time.advance(0.1);
    EXPECT_NEAR(barWidth(), 60, 0.01);  // the transaction's curve
    const Node *opacity = tree.root()->children().front().get();
    ASSERT_STREQ(opacity->spec().kind(), "Opacity");
    EXPECT_NEAR(opacity->value(Prop::opacity, -1), 0.1, 0.01);  // its own curve
}

TEST_F(Transactions, CompletionRunsWhenTheMotionEnds)
{
    tree.setRoot(view(BarView{&model, &evaluations}));
    int completions = 0;
    withAnimation(Animation::spring(0.3, 1.0), [&] { model.width = 100; }, [&] { ++completions; });
    time.advance(0.2);
    EXPECT_EQ(completions, 0);
    time.advance(2);
    EXPECT_EQ(completions, 1);

    // With nothing to animate it still completes, on a later turn.
    withAnimation(Animation::spring(0.3, 1.0), [] {}, [&] { ++completions; });
    EXPECT_EQ(completions, 1);
    time.flush();
    EXPECT_EQ(completions, 2);
}

TEST_F(Transactions, SpringRetargetedThroughTheTreeKeepsMoving)
{
    tree.setRoot(view(BarView{&model, &evaluations}));
    withAnimation(Animation::spring(0.43, 0.65), [&] { model.width = 180; });
    time.advance(0.1);
    const double mid = barWidth();
    withAnimation(Animation::spring(0.43, 0.65), [&] { model.width = 20; });
    time.flush();
    // Carried on by its velocity for a moment, towards the old target.
    time.advance(1.0 / 60);
    EXPECT_GT(barWidth(), mid);
    time.advance(3);
    EXPECT_EQ(barWidth(), 20);
}

TEST_F(Transactions, RenderingMidAnimationIsDeterministic)
{
    tree.setRoot(view(BarView{&model, &evaluations}));
    withAnimation(Animation::easeIn(0.5), [&] { model.width = 200; });
    time.flush();
    time.advance(0.25);
    const QString first = tree.dump();
    const QImage a = tree.render(2);
    EXPECT_EQ(tree.dump(), first);
    EXPECT_EQ(tree.render(2), a);
    EXPECT_EQ(a.size(), QSize(400, 100));
    EXPECT_TRUE(first.contains(QStringLiteral("id=bar")));
}

TEST_F(Transactions, FramesOfAClockDrivenViewLeaveOtherMotionAlone)
{
    tree.setRoot(HStack({}, view(BarView{&model, &evaluations}), Timeline(0, [](double) { return Empty(); })));
    withAnimation(Animation::linear(1), [&] { model.width = 120; });
    time.flush();
    time.advance(0.5);
    EXPECT_NEAR(barWidth(), 70, 1);
    time.advance(0.6);
    EXPECT_EQ(barWidth(), 120);
}

TEST_F(Reconcile, DumpNamesViewTypes)
{
    tree.setRoot(view(BarView{&model, &evaluations}));
    EXPECT_TRUE(tree.dump().startsWith(QStringLiteral("View (90,20 20x10)")));
    EXPECT_TRUE(tree.dump().contains(QStringLiteral("BarView")));
}
