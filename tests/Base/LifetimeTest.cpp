#include "Base/Lifetime.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace vesk;

TEST(LifetimeTest, AGuardedCallRunsWhileItsOwnerLastsAndIsDroppedAfterwards)
{
    VirtualTime time;
    std::vector<std::string> ran;
    std::function<int(const std::string &)> late;
    {
        Lifetime owner;
        late = owner.guard([&ran](const std::string &what) {
            ran.push_back(what);
            return 7;
        });
        EXPECT_EQ(late("early"), 7);
        owner.post([&ran] { ran.push_back("posted, owner gone"); });
        owner.post([&ran] { ran.push_back("posted"); });
        time.flush();
    }
    EXPECT_EQ(late("late"), 0);  // value-initialised
    Lifetime second;
    std::function<std::optional<std::string>()> named = second.guard([] { return std::optional<std::string>("x"); });
    EXPECT_EQ(named(), "x");
    EXPECT_EQ(ran, (std::vector<std::string>{"early", "posted, owner gone", "posted"}));
}

TEST(LifetimeTest, APostStillQueuedWhenItsOwnerGoesNeverRuns)
{
    VirtualTime time;
    bool ran = false;
    auto owner = std::make_unique<Lifetime>();
    owner->post([&ran] { ran = true; });
    owner.reset();
    time.flush();
    EXPECT_FALSE(ran);
}

TEST(LifetimeTest, ACopiedOwnerHasALifetimeOfItsOwn)
{
    struct Owner {
        Lifetime lifetime;
    };
    auto first = std::make_unique<Owner>();
    Owner copy = *first;
    Owner assigned;
    assigned = *first;
    int calls = 0;
    auto fromCopy = copy.lifetime.guard([&calls] { ++calls; });
    auto fromAssigned = assigned.lifetime.guard([&calls] { ++calls; });
    auto fromFirst = first->lifetime.guard([&calls] { calls += 100; });
    first.reset();
    fromFirst();
    fromCopy();
    fromAssigned();
    EXPECT_EQ(calls, 2);  // the copies outlive the original's callbacks and keep their own
}

TEST(LifetimeTest, AGuardedFunctionKeepsItsStateAndTakesMovedArguments)
{
    Lifetime owner;
    auto count = owner.guard([n = 0](std::unique_ptr<int> step) mutable { return n += *step; });
    EXPECT_EQ(count(std::make_unique<int>(2)), 2);
    EXPECT_EQ(count(std::make_unique<int>(3)), 5);
}
