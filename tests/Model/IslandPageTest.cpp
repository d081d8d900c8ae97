#include "Model/IslandTypes.h"
#include "Base/Overloaded.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vesk;

TEST(IslandPageTest, TheBuiltInPagesComeInScreenOrderAndReadBackFromTheirDescriptions)
{
    const std::vector<IslandPage> builtIns = IslandPage::builtIns();
    EXPECT_EQ(builtIns, (std::vector<IslandPage>{IslandPage::media(), IslandPage::calendar(), IslandPage::timer()}));
    std::vector<std::string> names;
    for (const IslandPage &page : builtIns) {
        names.push_back(page.description());
        EXPECT_EQ(IslandPage::builtIn(page.description()), page);
        EXPECT_EQ(IslandPage::fromDescription(page.description()), page);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"media", "calendar", "timer"}));
}

TEST(IslandPageTest, AnExtensionPageIsDescribedByItsIdentifierAndIsNoBuiltIn)
{
    const IslandPage weather = IslandPage::ext("weather");
    EXPECT_EQ(weather.description(), "ext:weather");
    EXPECT_EQ(IslandPage::fromDescription("ext:weather"), weather);
    EXPECT_EQ(IslandPage::fromDescription("ext:media"), IslandPage::ext("media"));  // not the built-in page
    EXPECT_EQ(IslandPage::builtIn("ext:weather"), std::nullopt);
    EXPECT_EQ(IslandPage::builtIn("weather"), std::nullopt);
    EXPECT_EQ(IslandPage::fromDescription("ext:"), std::nullopt);
    EXPECT_EQ(IslandPage::fromDescription("Media"), std::nullopt);
    EXPECT_EQ(IslandPage::fromDescription(""), std::nullopt);
}

TEST(IslandPageTest, AVisitReachesTheOverloadOfThePagesKind)
{
    auto kind = [](const IslandPage &page) {
        return page.visit(Overloaded{
            [](IslandPage::Media) { return std::string("media"); },
            [](IslandPage::Calendar) { return std::string("calendar"); },
            [](IslandPage::Timer) { return std::string("timer"); },
            [](const IslandPage::Ext &ext) { return "extension " + ext.id; },
        });
    };
    EXPECT_EQ(kind(IslandPage::calendar()), "calendar");
    EXPECT_EQ(kind(IslandPage::timer()), "timer");
    EXPECT_EQ(kind(IslandPage::ext("a.b")), "extension a.b");
}
