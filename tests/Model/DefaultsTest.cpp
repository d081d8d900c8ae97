#include "Model/Defaults.h"
#include "Extensions/ExtensionStore.h"
#include "Platform/AtomicFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <type_traits>

using namespace vesk;

class DefaultsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    test::ScopedEnv xdg{"XDG_CONFIG_HOME", dir.path().toStdString()};
    UserDefaults store;
    QProcessEnvironment plainEnvironment()
    {
        QProcessEnvironment env;
        env.insert("HOME", "/home/someone");
        return env;
    }
    void writeEarlier(const std::string &json)
    {
        QDir().mkpath(dir.path() + "/tovra");
        std::ofstream(Defaults::earlierDomainPath()) << json;
    }
};

TEST_F(DefaultsTest, TableHasItsShapeAndDefaults)
{
    const auto &values = Defaults::values();
    ASSERT_EQ(values.size(), 63u);
    int bools = 0, trues = 0, doubles = 0, strings = 0;
    for (const auto &[key, value] : values) {
        bools += value.is_boolean();
        trues += value.is_boolean() && value.get<bool>();
        doubles += value.is_number_float();
        strings += value.is_string();
    }
    EXPECT_EQ(bools, 48);
    EXPECT_EQ(trues, 42);
    EXPECT_EQ(doubles, 9);
    EXPECT_EQ(strings, 6);
    EXPECT_EQ(values.at("lockScreenPosition"), 0.225);
    EXPECT_EQ(values.at("buttonHoverStyle"), "roundedSquare");
}

TEST_F(DefaultsTest, EveryTableKeyHasOneConstantRegisteredWithItsDefault)
{
    Defaults::registerTable(store, plainEnvironment());
    std::set<std::string> keys;
    auto check = [&](const auto &setting, const std::string &name) {
        using T = decltype(setting.defaultValue());
        EXPECT_EQ(setting.key, name);
        EXPECT_TRUE(keys.insert(setting.key).second) << setting.key << " twice";
        ASSERT_EQ(Defaults::values().count(setting.key), 1u) << setting.key;
        const auto &registered = Defaults::values().at(setting.key);
        EXPECT_EQ(registered, nlohmann::json(setting.defaultValue())) << setting.key;
        if constexpr (std::is_same_v<T, bool>)
            EXPECT_TRUE(registered.is_boolean()) << setting.key;
        else if constexpr (std::is_same_v<T, double>)
            EXPECT_TRUE(registered.is_number_float()) << setting.key;
        else
            EXPECT_TRUE(registered.is_string()) << setting.key;
        EXPECT_EQ(store.value(setting), setting.defaultValue()) << setting.key;
    };
#define CHECK_SETTING(type, name, fallback) check(settings::name, #name);
    VESK_SETTINGS_TABLE(CHECK_SETTING)
#undef CHECK_SETTING
    EXPECT_EQ(keys.size(), Defaults::values().size());
    EXPECT_EQ(keys.size(), 63u);
}

TEST_F(DefaultsTest, AWronglyTypedValueReadsTheTableDefault)
{
    Defaults::registerTable(store, plainEnvironment());
    store.set(settings::hudDuration.key, "long");
    store.set(settings::showShadow.key, 0);
    store.set(settings::externalDisplayStyle.key, false);
    store.set(settings::notchWidthAdjustment.key, nlohmann::json::array({40}));
    EXPECT_DOUBLE_EQ(store.value(settings::hudDuration), 1.6);
    EXPECT_TRUE(store.value(settings::showShadow));
    EXPECT_EQ(store.value(settings::externalDisplayStyle), "hidden");
    EXPECT_DOUBLE_EQ(store.value(settings::notchWidthAdjustment), 0.0);
    EXPECT_EQ(store.storedValue("hudDuration"), nlohmann::json("long")) << "a read never rewrites";

    auto env = plainEnvironment();
    env.insert("VESK_DEBUG_FACTORY", "");
    Defaults::registerTable(store, env);
    store.set(settings::trackPreviewDuration, 5.0);
    EXPECT_DOUBLE_EQ(store.value(settings::trackPreviewDuration), 2.6) << "the factory value wins";
    EXPECT_FALSE(store.value(settings::showEventDots));
}

TEST_F(DefaultsTest, FirstLaunchSetsTheFlagAndALaterLaunchNeverLooksAgain)
{
    Defaults::registerTable(store, plainEnvironment());
    EXPECT_TRUE(store.value(test::boolSetting(Defaults::migrationFlagKey)));
    EXPECT_EQ(store.persistentDomain().size(), 1u);  // only the flag

    writeEarlier(R"({"hudDuration": 4.0})");  // appears after the first launch
    Defaults::registerTable(store, plainEnvironment());
    EXPECT_DOUBLE_EQ(store.value(settings::hudDuration), 1.6);
}

TEST_F(DefaultsTest, MigrationNeverOverwritesAndSkipsSystemKeys)
{
    writeEarlier(R"({"hudDuration": 4.0, "showShadow": false, "hasSeenOnboarding": true,
                     "NSWindow Frame main": "0 0 10 10", "custom": [1, 2]})");
    store.set(settings::hudDuration, 2.0);
    Defaults::registerTable(store, plainEnvironment());
    EXPECT_DOUBLE_EQ(store.value(settings::hudDuration), 2.0);
    EXPECT_FALSE(store.value(settings::showShadow));
    EXPECT_TRUE(store.value(test::boolSetting("hasSeenOnboarding")));
    EXPECT_EQ(store.storedValue("custom"), nlohmann::json({1, 2}));
    EXPECT_FALSE(store.storedValue("NSWindow Frame main").has_value());
}

TEST_F(DefaultsTest, MalformedEarlierDomainCountsAsAbsent)
{
    writeEarlier("{not json");
    Defaults::registerTable(store, plainEnvironment());
    EXPECT_TRUE(store.value(test::boolSetting(Defaults::migrationFlagKey)));
    EXPECT_EQ(store.persistentDomain().size(), 1u);
}

TEST_F(DefaultsTest, FactoryOverlayIsSwitchedOnByPresenceAlone)
{
    store.set(settings::showFocusActivity, true);
    store.set(settings::openOnHover, true);
    auto env = plainEnvironment();
    env.insert("VESK_DEBUG_FACTORY", "");
    Defaults::registerTable(store, env);
    EXPECT_FALSE(store.value(settings::showFocusActivity));
    EXPECT_DOUBLE_EQ(store.value(settings::trackPreviewDuration), 2.6);
    EXPECT_FALSE(store.value(settings::fadeToGlass));
    EXPECT_FALSE(store.value(settings::openOnHover));  // every table key reads its factory value
    EXPECT_EQ(store.storedValue("showFocusActivity"), nlohmann::json(true));  // stored values unchanged

    store.set(settings::hudDuration, 3.0);  // stored but hidden while the overlay is in force
    EXPECT_DOUBLE_EQ(store.value(settings::hudDuration), 1.6);
}

TEST_F(DefaultsTest, RepeatedRegistrationChangesNothingAndPostsNothing)
{
    auto env = plainEnvironment();
    env.insert("VESK_DEBUG_FACTORY", "1");
    Defaults::registerTable(store, env);
    int posts = 0;
    auto c = store.changed.connect([&] { ++posts; });
    const auto before = store.persistentDomain();
    Defaults::registerTable(store, env);
    EXPECT_EQ(posts, 0);
    EXPECT_EQ(store.persistentDomain(), before);
}

TEST_F(DefaultsTest, ResetRemovesTableKeysOnlyWithOneNotification)
{
    Defaults::registerTable(store, plainEnvironment());
    store.set(settings::hudDuration, 3.0);
    store.set(settings::externalDisplayStyle, "pill");
    store.set("hasSeenOnboarding", true);  // a key outside the table, owned above this layer
    store.set(ExtensionStore::enabledKey, nlohmann::json::array({"systemStats"}));
    int posts = 0;
    auto c = store.changed.connect([&] { ++posts; });
    Defaults::reset(store);
    EXPECT_EQ(posts, 1);
    EXPECT_DOUBLE_EQ(store.value(settings::hudDuration), 1.6);
    EXPECT_EQ(store.value(settings::externalDisplayStyle), "hidden");
    EXPECT_TRUE(store.value(test::boolSetting("hasSeenOnboarding")));
    EXPECT_EQ(store.storedValue("enabledExtensions"), nlohmann::json::array({"systemStats"}));
}

TEST_F(DefaultsTest, MigrationInterruptedPartWayLosesNothingAndIsOneWrite)
{
    // 3,000 earlier keys; the store's file is written once with the flag and all of them.
    std::string earlier = "{";
    for (int i = 0; i < 3000; ++i)
        earlier += (i ? ", " : "") + ("\"key" + std::to_string(i) + "\": " + std::to_string(i));
    writeEarlier(earlier + ", \"NSWindowFrame\": \"x\"}");
    const std::string path = dir.path().toStdString() + "/vesk/settings.json";
    {
        // Killed part-way: the write stops after a few hundred bytes.
        auto first = UserDefaults::openFile(path);
        test::CapturedLog log;
        setAtomicWriteFaultForTesting(300);
        Defaults::registerTable(*first, plainEnvironment());
        setAtomicWriteFaultForTesting(-1);
        EXPECT_EQ(log.lines.size(), 1u);
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    auto second = UserDefaults::openFile(path);
    int posts = 0;
    auto c = second->changed.connect([&] { ++posts; });
    Defaults::registerTable(*second, plainEnvironment());
    auto reread = UserDefaults::openFile(path);
    EXPECT_TRUE(reread->value(test::boolSetting(Defaults::migrationFlagKey)));
    EXPECT_EQ(reread->persistentDomain().size(), 3001u);
    EXPECT_DOUBLE_EQ(reread->value(test::doubleSetting("key2999")), 2999.0);
    EXPECT_FALSE(reread->storedValue("NSWindowFrame").has_value());
    EXPECT_EQ(posts, 2);  // the copy and the registration
}
