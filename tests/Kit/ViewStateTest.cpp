#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

struct Counter {
    int descriptions = 0;
    vesk::Observed<int> taps{0};
};

class ViewState : public ::testing::Test {
protected:
    // A component at the root's first place whose node keeps a Counter; `key` is its identity.
    Element counterAt(int key)
    {
        return VStack({}, withViewState<Counter>("Counter", [this](const std::shared_ptr<Counter> &counter) {
                              ++counter->descriptions;
                              seen = counter;
                              return Text(QString::number(counter->taps.get()));
                          }).id(key));
    }
    vesk::VirtualTime time;
    Tree tree{QSizeF(100, 40)};
    std::weak_ptr<Counter> seen;
};

}  // namespace

TEST_F(ViewState, AComponentsStateLastsAsLongAsItsNodeAndNoLonger)
{
    vesk::Observed<int> key{1};
    tree.setRoot(Observe([&](const Env &) { return counterAt(key.get()); }));
    std::shared_ptr<Counter> first = seen.lock();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->descriptions, 1);

    // Described again by its parent: the same state, not a new one.
    tree.setRoot(Observe([&](const Env &) { return counterAt(key.get()); }));
    EXPECT_EQ(seen.lock(), first);
    EXPECT_EQ(first->descriptions, 2);

    // A field of the state read while describing describes the component again.
    first->taps = 3;
    time.flush();
    EXPECT_EQ(first->descriptions, 3);
    EXPECT_TRUE(tree.dump().contains(QStringLiteral("\"3\"")));

    // Another identity is another node: it starts from a new state and the old one is let go.
    const std::weak_ptr<Counter> old = first;
    first.reset();
    key = 2;
    time.flush();
    EXPECT_TRUE(old.expired());
    std::shared_ptr<Counter> second = seen.lock();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->descriptions, 1);
    EXPECT_EQ(second->taps.peek(), 0);

    // Gone with the node.
    second.reset();
    tree.setRoot(Empty());
    EXPECT_TRUE(seen.expired());
}

TEST_F(ViewState, TheFirstCallMakesTheStateAndAnotherTypeReplacesIt)
{
    tree.setRoot(Fill(Color::white()).id(QStringLiteral("n")));
    const Node *node = tree.find(QStringLiteral("n"));
    ASSERT_TRUE(node);

    int &count = viewState<int>(*node, 5);
    EXPECT_EQ(count, 5);
    count = 6;
    // Later calls find it; their arguments make nothing.
    EXPECT_EQ(&viewState<int>(*node, 9), &count);
    EXPECT_EQ(viewState<int>(*node, 9), 6);
    const std::shared_ptr<int> shared = sharedViewState<int>(*node);
    EXPECT_EQ(shared.get(), &count);
    const std::weak_ptr<int> weak = shared;

    // State of another type takes the slot; asked for the first type again, the node makes it anew.
    EXPECT_EQ(viewState<QString>(*node, QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(viewState<int>(*node, 9), 9);
    EXPECT_EQ(weak.use_count(), 1);  // only `shared` still holds the old one
}
