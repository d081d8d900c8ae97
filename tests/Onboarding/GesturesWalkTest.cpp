#include "Onboarding/TourTestSupport.h"

#include "Island/IslandHover.h"
#include "Kit/FrameDriver.h"
#include "Onboarding/GestureDemo.h"
#include "Onboarding/GesturesStep.h"

#include <utility>
#include <vector>

using namespace vesk;
using namespace kit;

namespace {

using Page = OnboardingIslandView::Page;

// The gestures page on the virtual clock: the gesture it highlights over time, the rows it takes
// clicks on and the demonstration beside them.
class GesturesWalk : public test::TourTest {
protected:
    // Mounts the tour on the welcome page, its layer shown or hidden, and lets it settle.
    void mount(bool layerShown = true)
    {
        layerShown_ = layerShown;
        model->startOnboarding(int(Page::welcome));
        setRoot();
        settle();
    }
    void setRoot()
    {
        tree.setRoot(view(OnboardingIslandView{model.get()}).environment(isIslandLayerVisible, layerShown_));
        time.flush();
    }
    void setLayerShown(bool shown)
    {
        layerShown_ = shown;
        setRoot();
    }
    // Turns to `page` and returns the instant it became current.
    double turnTo(Page page)
    {
        model->setOnboardingPage(int(page));
        time.flush();
        return time.now();
    }

    Gesture current() const
    {
        const auto g = shownCurrentGesture(tree);
        EXPECT_TRUE(g.has_value()) << "no gestures page in the tree";
        return g.value_or(Gesture::hover);
    }
    const GestureDemoState *demo() const
    {
        const auto shown = shownGestureDemo(tree);
        return shown ? shown->state.get() : nullptr;
    }
    bool demoAtRest() const
    {
        const GestureDemoState *s = demo();
        return s && s->pointer.peek() == GestureDemoState::startPoint && !s->pressed.peek() && !s->swollen.peek()
               && !s->isOpen.peek() && !s->menu.peek() && s->pull.peek() == 0;
    }

    // Every change of the highlighted gesture in the next `seconds`, watched every 10 ms: the
    // instant (from `since`) and the new gesture.
    std::vector<std::pair<double, Gesture>> changes(double seconds, double since)
    {
        std::vector<std::pair<double, Gesture>> out;
        Gesture last = current();
        const double end = time.now() + seconds;
        while (time.now() < end - 1e-9) {
            time.advance(0.01);
            if (const Gesture g = current(); g != last)
                out.emplace_back(time.now() - since, last = g);
        }
        return out;
    }
    // The first change of the highlighted gesture within `seconds` (watching stops there): its
    // instant from `since`, or -1 when there is none.
    double nextChange(double seconds, double since, Gesture *to = nullptr)
    {
        const Gesture last = current();
        const double end = time.now() + seconds;
        while (time.now() < end - 1e-9) {
            time.advance(0.01);
            if (const Gesture g = current(); g != last) {
                if (to)
                    *to = g;
                return time.now() - since;
            }
        }
        return -1;
    }
    // Clicks a row's empty right-hand part.
    void clickRow(Gesture gesture)
    {
        const auto row = control(QString::fromLatin1(GesturesStep::info(gesture).caption));
        ASSERT_TRUE(row.has_value()) << GesturesStep::info(gesture).caption;
        click(QPointF(row->rect.right() - 4, row->rect.center().y()));
    }

    bool layerShown_ = true;
};

}  // namespace

TEST_F(GesturesWalk, HoldsEachGestureItsOwnTimeAndWrapsAround)
{
    mount();
    const double shown = turnTo(Page::gestures);
    EXPECT_EQ(current(), Gesture::hover) << "it starts on \"Point at me\"";
    const auto c = changes(15.0 + 2.4 + 0.5, shown);
    const std::vector<std::pair<double, Gesture>> expected = {
        {2.4, Gesture::click}, {5.6, Gesture::scroll}, {9.2, Gesture::swipe},
        {12.2, Gesture::rightClick}, {15.0, Gesture::hover}, {17.4, Gesture::click}};
    ASSERT_EQ(c.size(), expected.size());
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(c[i].second, expected[i].second) << i;
        EXPECT_NEAR(c[i].first, expected[i].first, 0.011) << "change " << i << " to " << gestureCaseName(c[i].second).toStdString();
    }
}

TEST_F(GesturesWalk, EachNewGestureGetsAFreshDemonstrationThatPlays)
{
    mount();
    const double shown = turnTo(Page::gestures);
    const GestureDemoState *first = demo();
    ASSERT_NE(first, nullptr);
    time.advance(1.0);
    EXPECT_FALSE(demoAtRest()) << "the hover demonstration plays while the page is shown";
    ASSERT_NEAR(nextChange(2.0, shown), 2.4, 0.011);
    const auto next = shownGestureDemo(tree);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->gesture, Gesture::click);
    EXPECT_NE(next->state.get(), first) << "a change of gesture replaces the demonstration";
}

TEST_F(GesturesWalk, ClickingAnotherRowShowsItAtOnceAndHoldsItAFullTime)
{
    mount();
    turnTo(Page::gestures);
    time.advance(2.4 + 1.0);  // one second into "Click to open"
    ASSERT_EQ(current(), Gesture::click);
    const double clicked = time.now();
    clickRow(Gesture::scroll);
    EXPECT_EQ(current(), Gesture::scroll) << "highlighted at once";
    const auto shownDemo = shownGestureDemo(tree);
    ASSERT_TRUE(shownDemo.has_value());
    EXPECT_EQ(shownDemo->gesture, Gesture::scroll);
    // The old walk would have moved on 2.2 s after the click; the new one holds scroll 3.6 s.
    Gesture to = Gesture::hover;
    EXPECT_NEAR(nextChange(5, clicked, &to), 3.6, 0.011);
    EXPECT_EQ(to, Gesture::swipe);
    // And from there on the walk keeps its times.
    EXPECT_NEAR(nextChange(5, time.now(), &to), 3.0, 0.011);
    EXPECT_EQ(to, Gesture::rightClick);
}

TEST_F(GesturesWalk, ClickingTheCurrentRowRestartsTheWalkButNotTheDemonstration)
{
    mount();
    const double shown = turnTo(Page::gestures);
    time.advance(2.0);  // 0.4 s before "Click to open" would come
    const GestureDemoState *before = demo();
    ASSERT_NE(before, nullptr);
    const double clicked = time.now();
    clickRow(Gesture::hover);
    EXPECT_EQ(current(), Gesture::hover);
    EXPECT_EQ(demo(), before) << "the same demonstration goes on";
    // The demonstration keeps its own rhythm: its second cycle swells 2.55 + 0.55 s after the
    // page was shown, not 0.55 s after the click as a restarted one would.
    time.advance(shown + 2.55 + 0.5 - time.now());
    EXPECT_FALSE(demo()->swollen.peek());
    time.advance(0.1);
    EXPECT_TRUE(demo()->swollen.peek());
    // The walk holds hover a full 2.4 s from the click.
    Gesture to = Gesture::hover;
    EXPECT_NEAR(nextChange(5, clicked, &to), 2.4, 0.011);
    EXPECT_EQ(to, Gesture::click);
}

TEST_F(GesturesWalk, EveryClickRestartsTheHoldingTime)
{
    mount();
    turnTo(Page::gestures);
    // Three clicks on the same row 2 s apart: 2.4 s never passes, so the walk never moves.
    for (int i = 0; i < 3; ++i) {
        time.advance(2.0);
        clickRow(Gesture::swipe);
        EXPECT_EQ(current(), Gesture::swipe);
    }
    const double last = time.now();
    Gesture to = Gesture::hover;
    EXPECT_NEAR(nextChange(4, last, &to), 3.0, 0.011);
    EXPECT_EQ(to, Gesture::rightClick);
}

TEST_F(GesturesWalk, LeavingThePageAndComingBackHoldsTheGestureAFullTimeAgain)
{
    mount();
    const double shown = turnTo(Page::gestures);
    time.advance(5.6 + 1.0);  // one second into "Scroll through tabs"
    ASSERT_EQ(current(), Gesture::scroll);
    turnTo(Page::music);
    EXPECT_EQ(nextChange(20, shown), -1) << "hidden, the walk stands still";
    EXPECT_EQ(current(), Gesture::scroll) << "the highlighted row stays";

    const double back = turnTo(Page::gestures);
    EXPECT_EQ(current(), Gesture::scroll);
    time.advance(0.05);
    ASSERT_NE(demo(), nullptr);
    EXPECT_TRUE(demo()->isOpen.peek()) << "the scroll demonstration plays again";
    Gesture to = Gesture::hover;
    EXPECT_NEAR(nextChange(5, back, &to), 3.6, 0.011);
    EXPECT_EQ(to, Gesture::swipe);

    // Hiding and showing the tour's layer on the gestures page restarts the walk the same way.
    time.advance(1.5);
    setLayerShown(false);
    EXPECT_EQ(nextChange(10, back), -1);
    setLayerShown(true);
    const double reshown = time.now();
    EXPECT_NEAR(nextChange(5, reshown, &to), 3.0, 0.011);
    EXPECT_EQ(to, Gesture::rightClick);
}

TEST_F(GesturesWalk, AHiddenPageSchedulesNothing)
{
    {
        SCOPED_TRACE("the step on its own, hidden");
        const size_t before = time.queue().pendingCount();
        tree.setRoot(view(GesturesStep{}).environment(isIslandLayerVisible, false));
        settle(2);  // its header's mascot pops in once, shown or not
        EXPECT_EQ(time.queue().pendingCount(), before) << "no sleep of the walk or the demonstration waits";
        EXPECT_FALSE(FrameDriver::shared().isScheduled()) << "no frame is asked for";
        const uint64_t evaluations = tree.evaluationCount();
        time.advance(60);
        EXPECT_EQ(current(), Gesture::hover);
        EXPECT_TRUE(demoAtRest());
        EXPECT_EQ(tree.evaluationCount(), evaluations) << "nothing was described again";
        EXPECT_EQ(time.queue().pendingCount(), before);
    }
    {
        SCOPED_TRACE("the gestures page current, the tour's layer hidden");
        mount(false);
        turnTo(Page::gestures);
        settle(5);
        const uint64_t evaluations = tree.evaluationCount();
        const GestureDemoState *shownDemo = demo();
        ASSERT_NE(shownDemo, nullptr);
        EXPECT_TRUE(demoAtRest());
        EXPECT_FALSE(FrameDriver::shared().isScheduled());
        time.advance(60);
        EXPECT_EQ(current(), Gesture::hover);
        EXPECT_EQ(demo(), shownDemo);
        EXPECT_TRUE(demoAtRest());
        EXPECT_EQ(tree.evaluationCount(), evaluations) << "nothing was described again";
        EXPECT_FALSE(FrameDriver::shared().isScheduled());
    }
}

TEST_F(GesturesWalk, HiddenMidGestureItFinishesTheCycleAtOnceThenSchedulesNothing)
{
    for (const bool byLayer : {false, true}) {
        SCOPED_TRACE(byLayer ? "the tour's layer hidden" : "another page shown");
        // A fresh tour each round: the step keeps its gesture while it is mounted.
        tree.setRoot(Fill(Color::clear()));
        mount();
        const double shown = turnTo(Page::gestures);
        time.advance(2.4 + 0.9);  // "Click to open", its pointer pressing on the miniature
        ASSERT_EQ(current(), Gesture::click);
        ASSERT_TRUE(demo()->pressed.peek());
        if (byLayer)
            setLayerShown(false);
        else
            turnTo(Page::music);
        EXPECT_TRUE(demoAtRest()) << "the rest of the cycle ran at once";
        settle(3);  // the springs of those last changes
        const uint64_t evaluations = tree.evaluationCount();
        EXPECT_FALSE(FrameDriver::shared().isScheduled());
        EXPECT_EQ(nextChange(30, shown), -1);
        EXPECT_EQ(current(), Gesture::click);
        EXPECT_TRUE(demoAtRest());
        EXPECT_EQ(tree.evaluationCount(), evaluations);
        EXPECT_FALSE(FrameDriver::shared().isScheduled());
    }
}
