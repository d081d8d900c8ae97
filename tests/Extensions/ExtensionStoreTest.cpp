#include "ExtensionTestSupport.h"

#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/SimulatedExtension.h"
#include "Extensions/SystemStatsExtension.h"

using namespace vesk;
using nlohmann::json;

namespace {

using Ids = std::vector<std::string>;

class ExtensionStoreTest : public test::ExtensionTest {
protected:
    std::shared_ptr<SimulatedExtension> simulated(const std::string &id)
    {
        auto extension = std::make_shared<SimulatedExtension>(ExtensionInfo{id, id});
        store.run(extension);
        return extension;
    }
    static ExtensionActivity activity(const std::string &id, const QString &text)
    {
        return ExtensionActivity{id, "star", QColor(Qt::yellow), text, false};
    }
};

TEST_F(ExtensionStoreTest, ACatalogueTypeMakesItsViewsFromTheInstanceItself)
{
    std::vector<const ClaudeCodeExtension *> pages;
    std::vector<const ClaudeCodeExtension *> options;
    ExtensionStore::setViews<ClaudeCodeExtension>(
        [&pages](std::shared_ptr<ClaudeCodeExtension> ext) {
            pages.push_back(ext.get());
            return kit::Text(QStringLiteral("page"));
        },
        [&options](std::shared_ptr<ClaudeCodeExtension> ext) {
            options.push_back(ext.get());
            auto view = std::make_unique<QWidget>();
            view->setObjectName(QStringLiteral("options"));
            return view;
        });
    const auto ext = std::make_shared<ClaudeCodeExtension>();
    const IslandExtension &asExtension = *ext;
    asExtension.page();
    EXPECT_EQ(ext->makeSettingsView()->objectName(), QStringLiteral("options"));
    EXPECT_EQ(pages, std::vector<const ClaudeCodeExtension *>{ext.get()});
    EXPECT_EQ(options, std::vector<const ClaudeCodeExtension *>{ext.get()});
    ASSERT_NE(ExtensionStore::type("claude-code"), nullptr);
    EXPECT_EQ(ExtensionStore::type("claude-code")->info, ClaudeCodeExtension::typeInfo());
    EXPECT_EQ(ExtensionStore::type("nowhere"), nullptr);

    // Without makers there is no page and the options are an empty view.
    ExtensionStore::setViews<ClaudeCodeExtension>(nullptr, nullptr);
    ext->page();
    const auto empty = ext->makeSettingsView();
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->objectName().isEmpty());
    EXPECT_EQ(pages.size(), 1u);
    EXPECT_EQ(options.size(), 1u);
}

TEST_F(ExtensionStoreTest, ATypeOfAReplacedCatalogueIsTheOneLookedUp)
{
    int made = 0;
    ExtensionInfo info{"alpha", "Alpha"};
    ExtensionStore::setCatalog(std::vector<ExtensionStore::Type>{
        {info, [info] { return std::make_shared<SimulatedExtension>(info); }, nullptr,
         [&made](IslandExtension &) {
             ++made;
             return std::make_unique<QWidget>();
         }}});
    EXPECT_EQ(ExtensionStore::type("claude-code"), nullptr);
    ASSERT_NE(ExtensionStore::type("alpha"), nullptr);
    ExtensionStore::make("alpha")->makeSettingsView();
    EXPECT_EQ(made, 1);
    ExtensionStore::setCatalog(std::nullopt);
    EXPECT_NE(ExtensionStore::type("claude-code"), nullptr);
}

TEST_F(ExtensionStoreTest, TheCatalogueIsClaudeCodeThenSystemStats)
{
    const auto infos = store.infos();
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[0], ClaudeCodeExtension::typeInfo());
    EXPECT_EQ(infos[0].name, "Claude Code");
    EXPECT_EQ(infos[0].category, "Developer");
    EXPECT_EQ(infos[0].tint, QColor::fromRgbF(0.85f, 0.47f, 0.34f));
    EXPECT_EQ(infos[1].id, "system-stats");
    EXPECT_EQ(infos[1].name, "System Stats");
    EXPECT_EQ(infos[1].category, "System");
    EXPECT_EQ(infos[1].symbol, "gauge.with.dots.needle.50percent");
    EXPECT_EQ(infos[1].summary, "Processor, memory, disk, battery and network at a glance, with a heads-up when your "
                                "computer works hard or runs hot.");
    EXPECT_TRUE(store.pageIDs().empty()) << "infos lists types whether running or not";
    EXPECT_NE(dynamic_cast<SystemStatsExtension *>(ExtensionStore::make("system-stats").get()), nullptr);
    EXPECT_NE(dynamic_cast<ClaudeCodeExtension *>(ExtensionStore::make("claude-code").get()), nullptr);
}

TEST(ExtensionStoreDeathTest, MakingAnUnknownTypeEndsTheProcess)
{
    EXPECT_DEATH(ExtensionStore::make("weather"), "Unknown extension weather");
}

TEST_F(ExtensionStoreTest, StartEnabledFollowsTheCatalogueAndWritesNothing)
{
    int &count = countChanges();
    store.startEnabled();
    EXPECT_TRUE(store.pageIDs().empty()) << "absent key: nothing runs";

    const json stored = {"system-stats", "weather", "claude-code", "system-stats"};
    defaults().set(ExtensionStore::enabledKey, stored);
    store.startEnabled();
    time.flush();
    EXPECT_EQ(store.pageIDs(), (Ids{"claude-code", "system-stats"}));
    EXPECT_EQ(defaults().storedValue(ExtensionStore::enabledKey), stored) << "nothing written back";
    EXPECT_EQ(count, 0) << "the owner refreshes itself";

    // After the next switch the list holds only what runs.
    store.setEnabled("claude-code", false);
    EXPECT_EQ(defaults().storedValue(ExtensionStore::enabledKey), json({"system-stats"}));
}

TEST_F(ExtensionStoreTest, AnythingButAnArrayOfStringsStartsNothing)
{
    for (const json &value : {json("system-stats"), json({"system-stats", 3}), json({{"id", "system-stats"}}), json(7)}) {
        defaults().set(ExtensionStore::enabledKey, value);
        store.startEnabled();
        EXPECT_TRUE(store.pageIDs().empty()) << value.dump();
        EXPECT_EQ(defaults().storedValue(ExtensionStore::enabledKey), value);
    }
}

TEST_F(ExtensionStoreTest, SetEnabledStartsStopsRewritesAndCallsBackAtOnce)
{
    int &count = countChanges();
    store.setEnabled("system-stats", true);
    EXPECT_EQ(count, 1) << "synchronously";
    const auto first = store.instance("system-stats");
    ASSERT_TRUE(first);
    store.setEnabled("claude-code", true);
    EXPECT_EQ(defaults().storedValue(ExtensionStore::enabledKey), json({"claude-code", "system-stats"})) << "sorted";

    // Enabling what runs keeps the instance but rewrites the list and calls back.
    defaults().set(ExtensionStore::enabledKey, json({"stale"}));
    store.setEnabled("system-stats", true);
    EXPECT_EQ(store.instance("system-stats"), first);
    EXPECT_EQ(defaults().storedValue(ExtensionStore::enabledKey), json({"claude-code", "system-stats"}));
    EXPECT_EQ(count, 3);

    // Disabling what does not run still writes and calls back.
    store.setEnabled("claude-code", false);
    store.setEnabled("claude-code", false);
    EXPECT_EQ(defaults().storedValue(ExtensionStore::enabledKey), json({"system-stats"}));
    EXPECT_EQ(count, 5);

    // Re-enabling makes a fresh instance.
    store.setEnabled("system-stats", false);
    store.setEnabled("system-stats", true);
    EXPECT_NE(store.instance("system-stats"), first);
}

TEST_F(ExtensionStoreTest, AnUnknownIdChangesNothing)
{
    int &count = countChanges();
    store.setEnabled("weather", true);
    store.setEnabled("weather", false);
    EXPECT_FALSE(defaults().storedValue(ExtensionStore::enabledKey));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(store.pageIDs().empty());
}

TEST_F(ExtensionStoreTest, DisablingStopsTheInstanceBeforeItLeaves)
{
    store.setEnabled("system-stats", true);
    auto stats = std::dynamic_pointer_cast<SystemStatsExtension>(store.instance("system-stats"));
    ASSERT_TRUE(stats);
    time.advance(10);
    const int taken = stats->samples();
    EXPECT_EQ(taken, 3) << "at start, 5 s and 10 s";
    store.setEnabled("system-stats", false);
    time.advance(60);
    EXPECT_EQ(stats->samples(), taken) << "a stopped instance samples no more";

    // The simulated extension shows the order: stopped while still in the running list.
    auto extension = simulated("alpha");
    EXPECT_EQ(extension->starts, 1);
    bool stoppedFirst = false;
    auto watch = store.running().observe([&] { stoppedFirst = extension->stops == 1; });
    store.stop("alpha");
    EXPECT_TRUE(stoppedFirst);
}

TEST_F(ExtensionStoreTest, TheEarlierExtensionInPageOrderWins)
{
    auto alpha = simulated("alpha");
    auto beta = simulated("beta");
    EXPECT_EQ(store.pageIDs(), (Ids{"alpha", "beta"}));
    EXPECT_FALSE(store.activity());
    beta->show(activity("beta", "B"));
    EXPECT_EQ(store.activity()->extensionID, "beta");
    alpha->show(activity("alpha", "A"));
    EXPECT_EQ(store.activity()->extensionID, "alpha");

    // A catalogue extension comes before any simulated one, urgent or not.
    ExtensionActivity urgent = activity("alpha", "A");
    urgent.isUrgent = true;
    alpha->show(urgent);
    stats.cpu = SystemStatsSource::CpuTicks{0, 0};
    stats.state = SystemStatsSource::Thermal::serious;
    store.setEnabled("system-stats", true);
    EXPECT_EQ(store.pageIDs(), (Ids{"system-stats", "alpha", "beta"}));
    ASSERT_TRUE(store.activity());
    EXPECT_EQ(store.activity()->text, "Running hot");
}

TEST_F(ExtensionStoreTest, ActivityChangesArePostedNotCalled)
{
    int &count = countChanges();
    auto alpha = simulated("alpha");
    EXPECT_EQ(count, 1) << "run calls back at once";
    alpha->show(activity("alpha", "A"));
    alpha->show(activity("alpha", "B"));
    EXPECT_EQ(count, 1) << "queued on the main queue";
    time.flush();
    EXPECT_EQ(count, 3);

    // The callback is read when the queued call runs.
    alpha->show(activity("alpha", "C"));
    int later = 0;
    store.onActivityChange = [&] { ++later; };
    time.flush();
    EXPECT_EQ(later, 1);
    EXPECT_EQ(count, 3);
}

TEST_F(ExtensionStoreTest, AnAlertReachesWhicheverCallbackIsSetWhenItRuns)
{
    auto alpha = simulated("alpha");
    std::vector<std::pair<QString, double>> received;
    alpha->raiseAlert(activity("alpha", "dropped"), 5);
    time.flush();  // no onAlert: dropped
    alpha->raiseAlert(activity("alpha", "late"), 4);
    store.onAlert = [&](const ExtensionActivity &a, double seconds) { received.emplace_back(a.text, seconds); };
    EXPECT_TRUE(received.empty()) << "not called synchronously";
    time.flush();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, "late");
    EXPECT_EQ(received[0].second, 4);
}

}  // namespace
