#include "Extensions/ExtensionStore.h"
#include "Extensions/SimulatedExtension.h"

#include <gtest/gtest.h>

using namespace vesk;

class ExtensionStoreTest : public ::testing::Test {
protected:
    ~ExtensionStoreTest() override
    {
        store.stopAll();
        store.onActivityChange = nullptr;
    }
    std::shared_ptr<SimulatedExtension> start(const std::string &id)
    {
        auto extension = std::make_shared<SimulatedExtension>(ExtensionInfo{id, id});
        store.run(extension);
        return extension;
    }
    ExtensionStore &store = ExtensionStore::shared();
};

TEST_F(ExtensionStoreTest, ActivityIsTheFirstPresentInPageOrder)
{
    auto first = start("alpha");
    auto second = start("beta");
    EXPECT_EQ(store.pageIDs(), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_FALSE(store.activity());
    second->show(ExtensionActivity{"beta", "b", QColor(Qt::red), "B", false});
    EXPECT_EQ(store.activity()->extensionID, "beta");
    first->show(ExtensionActivity{"alpha", "a", QColor(Qt::red), "A", false});
    EXPECT_EQ(store.activity()->extensionID, "alpha");
}

TEST_F(ExtensionStoreTest, ChangesAndStopsAreReported)
{
    int changes = 0;
    store.onActivityChange = [&] { ++changes; };
    auto extension = start("alpha");
    EXPECT_EQ(changes, 1);
    extension->show(ExtensionActivity{"alpha", "a", QColor(Qt::red), "A", false});
    extension->show(ExtensionActivity{"alpha", "a", QColor(Qt::red), "A", false});  // unchanged
    EXPECT_EQ(changes, 2);
    store.stop("alpha");
    store.stop("alpha");
    EXPECT_EQ(changes, 3);
    extension->show(std::nullopt);  // a stopped extension is no longer heard
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(store.pageIDs().empty());
}
