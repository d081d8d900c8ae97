#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

inline const EnvKey<bool> layerVisible{true};

class Reactions : public ::testing::Test {
protected:
    vesk::VirtualTime time;
    Tree tree{QSizeF(100, 100)};
};

}  // namespace

TEST_F(Reactions, EnvironmentValuesAreInheritedAndTheNearestWins)
{
    vesk::Observed<bool> outer{false};
    std::vector<bool> seenInner, seenOuter;
    tree.setRoot(Observe([&](const Env &) {
        return VStack({},
                      Observe([&](const Env &env) {
                          seenOuter.push_back(env[layerVisible]);
                          return Empty();
                      }),
                      Observe([&](const Env &env) {
                          seenInner.push_back(env[layerVisible]);
                          return Empty();
                      }).environment(layerVisible, true))
            .environment(layerVisible, outer.get());
    }));
    EXPECT_EQ(seenOuter, std::vector<bool>{false});
    EXPECT_EQ(seenInner, std::vector<bool>{true});
    outer = true;  // the views below read it: they are described again
    time.flush();
    EXPECT_EQ(seenOuter.back(), true);
    EXPECT_EQ(seenInner.back(), true);
    // Outside any setter, the key's default.
    bool fallback = false;
    tree.setRoot(Observe([&](const Env &env) {
        fallback = env[layerVisible];
        return Empty();
    }));
    EXPECT_TRUE(fallback);
}

TEST_F(Reactions, ChangeObserverRunsOnceWithTheInitialValueThenOnChanges)
{
    vesk::Observed<int> height{32};
    std::vector<std::pair<int, int>> calls;
    tree.setRoot(Observe([&](const Env &) {
        return Fill(Color::white()).onChange<int>(height.get(), [&](const int &o, const int &n) { calls.push_back({o, n}); });
    }));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(32, 32));
    height = 32;
    time.flush();
    EXPECT_EQ(calls.size(), 1u);
    height = 40;
    time.flush();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], std::make_pair(32, 40));
    // Without `initial` it waits for a change.
    std::vector<int> quiet;
    tree.setRoot(Fill(Color::white()).onChange<int>(7, [&](const int &, const int &n) { quiet.push_back(n); }, false));
    EXPECT_TRUE(quiet.empty());
}

TEST_F(Reactions, ObserverWritingTheModelStartsAFreshUpdate)
{
    vesk::Observed<int> state{0};
    vesk::Observed<int> lastSeen{-1};
    int evaluations = 0;
    tree.setRoot(Observe([&](const Env &) {
        ++evaluations;
        return Fill(Color::white()).onChange<int>(state.get(), [&](const int &, const int &n) { lastSeen = n; });
    }));
    EXPECT_EQ(lastSeen.peek(), 0);
    state = 3;
    time.flush();
    EXPECT_EQ(lastSeen.peek(), 3);
    EXPECT_EQ(evaluations, 2);  // the write-back is not read by the view: no extra evaluation
}

TEST_F(Reactions, KeyedTaskIsCancelledWhenItsKeyChanges)
{
    vesk::Observed<bool> visible{true};
    vesk::Observed<bool> mounted{true};
    int starts = 0;
    tree.setRoot(Observe([&](const Env &) {
        const bool v = visible.get();
        return Fill(Color::white()).task(v, [&, v](Task &task) {
            ++starts;
            if (v) {
                mounted = true;
                return;
            }
            task.sleep(0.6, [&] { mounted = false; });
        });
    }));
    EXPECT_EQ(starts, 1);
    visible = false;
    time.flush();
    EXPECT_EQ(starts, 2);
    time.advance(0.3);
    visible = true;  // shown again within 0.6 s: the pending unmount is cancelled
    time.flush();
    time.advance(1);
    EXPECT_TRUE(mounted.peek());
    EXPECT_EQ(starts, 3);

    visible = false;
    time.flush();
    time.advance(0.59);
    EXPECT_TRUE(mounted.peek());
    time.advance(0.02);
    EXPECT_FALSE(mounted.peek());
}

TEST_F(Reactions, TaskEndsWithItsElement)
{
    vesk::Observed<bool> present{true};
    bool ran = false;
    tree.setRoot(Observe([&](const Env &) {
        return If(present.get(), Fill(Color::white()).task(1, [&](Task &task) { task.sleep(1, [&] { ran = true; }); }));
    }));
    time.advance(0.5);
    present = false;
    time.flush();
    time.advance(2);
    EXPECT_FALSE(ran);
    EXPECT_EQ(time.queue().pendingCount(), 0u);
}

TEST_F(Reactions, TimelineDescribesItsContentAtEveryPeriod)
{
    std::vector<double> entries;
    tree.setRoot(Timeline(1.0, [&](double wall) {
        entries.push_back(wall);
        return Text(QString::number(wall));
    }));
    ASSERT_EQ(entries.size(), 1u);
    const double first = entries[0];
    EXPECT_EQ(first, std::floor(time.wallNow()));
    time.advance(3.2);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3], first + 3);
    // One wait pending at a time, never a frame.
    EXPECT_EQ(time.queue().pendingCount(), 1u);
    EXPECT_FALSE(tree.isAnimating());
}
