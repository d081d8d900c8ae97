#include "Onboarding/TourTestSupport.h"

#include "Island/NotchView.h"
#include "Model/Defaults.h"

using namespace vesk;
using namespace kit;

namespace {

using Steps = test::TourTest;

double textOpacity(const std::vector<DrawnItem> &items, const QString &text)
{
    for (const DrawnItem &i : items)
        if (i.kind == DrawnItem::Kind::text && i.text == text)
            return i.opacity;
    return -1;
}

}  // namespace

TEST_F(Steps, OnAFreshInstallationEverySwitchIsOn)
{
    const std::vector<std::pair<int, std::vector<const char *>>> pages = {
        {3, {"Show beside the notch", "Swipe sideways to skip", "Name each new song"}},
        {4, {"Timer and stopwatch", "Your next event", "Downloads"}},
        {6, {"Check for updates automatically", "Install them automatically"}},
    };
    show(0);
    for (const auto &[page, rows] : pages) {
        model->setOnboardingPage(page);
        settle();
        for (const char *title : rows)
            EXPECT_EQ(rowValue(QString::fromLatin1(title)), QStringLiteral("on")) << title;
    }
}

TEST_F(Steps, SwitchesWriteTheirSettingAndFollowChangesMadeElsewhere)
{
    show(3);
    ASSERT_TRUE(clickRow(QStringLiteral("Swipe sideways to skip")));
    EXPECT_FALSE(defaults().value(settings::swipeToSkip));
    settle();
    EXPECT_EQ(rowValue(QStringLiteral("Swipe sideways to skip")), QStringLiteral("off"));
    // The settings window writes the same key: the tour's switch follows.
    defaults().set(settings::showTrackPreview, false);
    time.flush();
    settle();
    EXPECT_EQ(rowValue(QStringLiteral("Name each new song")), QStringLiteral("off"));
    EXPECT_EQ(rowValue(QStringLiteral("Show beside the notch")), QStringLiteral("on"));
}

TEST_F(Steps, InstallingDependsOnCheckingAndKeepsItsStoredValue)
{
    show(6);
    ASSERT_TRUE(clickRow(QStringLiteral("Check for updates automatically")));
    settle();
    EXPECT_FALSE(defaults().value(settings::automaticUpdates));
    EXPECT_EQ(rowValue(QStringLiteral("Install them automatically")), QStringLiteral("on disabled"));
    const auto items = drawnItems(tree);
    EXPECT_NEAR(textOpacity(items, QStringLiteral("Install them automatically")), 0.4, 0.001);
    clickRow(QStringLiteral("Install them automatically"));
    settle();
    EXPECT_TRUE(defaults().value(settings::installUpdatesAutomatically)) << "a dimmed switch takes no click";

    ASSERT_TRUE(clickRow(QStringLiteral("Check for updates automatically")));
    settle();
    EXPECT_EQ(rowValue(QStringLiteral("Install them automatically")), QStringLiteral("on"));
    EXPECT_NEAR(textOpacity(drawnItems(tree), QStringLiteral("Install them automatically")), 1, 0.001);
    ASSERT_TRUE(clickRow(QStringLiteral("Install them automatically")));
    EXPECT_FALSE(defaults().value(settings::installUpdatesAutomatically));
}

TEST_F(Steps, ASettingOfAnotherTypeShowsTheDefaultAndAClickWritesABoolean)
{
    defaults().set(std::string(settings::automaticUpdates.key), nlohmann::json("yes"));
    show(6);
    EXPECT_EQ(rowValue(QStringLiteral("Check for updates automatically")), QStringLiteral("on"));
    EXPECT_EQ(rowValue(QStringLiteral("Install them automatically")), QStringLiteral("on"));
    ASSERT_TRUE(clickRow(QStringLiteral("Check for updates automatically")));
    EXPECT_EQ(defaults().object(settings::automaticUpdates.key), nlohmann::json(false));
}

TEST_F(Steps, TheWelcomeAndDonePagesShowTheirTexts)
{
    show(0);
    const QStringList welcome = names(DrawnItem::Kind::text);
    EXPECT_TRUE(welcome.contains(QStringLiteral("Hi, I'm Vesk!")));
    EXPECT_TRUE(welcome.contains(QStringLiteral("I live in your notch. Let me show you what I can do.")));
    model->setOnboardingPage(7);
    settle();
    const QStringList done = names(DrawnItem::Kind::text);
    EXPECT_TRUE(done.contains(QStringLiteral("It's now in your hands!")));
    EXPECT_TRUE(done.contains(QStringLiteral("Open Settings any time from the tray icon, or right-click me.")));
}
