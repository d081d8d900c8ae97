#pragma once

#include "Extensions/ExtensionStore.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimSystemStats.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

namespace vesk::test {

// A fresh settings store, the virtual clock, the simulated System Stats source and an empty
// registry with no callbacks, for each test.
class ExtensionTest : public ::testing::Test {
protected:
    ExtensionTest()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        SystemStatsSource::setShared(&stats);
        store.stopAll();
        store.onActivityChange = nullptr;
        store.onAlert = nullptr;
    }
    ~ExtensionTest() override
    {
        store.onActivityChange = nullptr;
        store.onAlert = nullptr;
        store.stopAll();
        SystemStatsSource::setShared(nullptr);
    }
    UserDefaults &defaults() { return UserDefaults::standard(); }
    // Counts the activity-change callbacks.
    int &countChanges()
    {
        store.onActivityChange = [this] { ++changes; };
        return changes;
    }

    VirtualTime time;
    SimSystemStats stats;
    ExtensionStore &store = ExtensionStore::shared();
    int changes = 0;
};

}  // namespace vesk::test
