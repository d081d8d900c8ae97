#include "NowPlaying/NowPlayingPayload.h"

#include <gtest/gtest.h>

#include <string>

using namespace vesk;

TEST(CompanionLineLimitsTest, DeeplyNestedLineIsRejectedNotACrash)
{
    const std::string deep = "{\"title\": \"a\", \"x\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    EXPECT_FALSE(NowPlayingPayload::decode(deep).has_value());
    auto shallow = NowPlayingPayload::decode("{\"title\": \"a\", \"x\": [[[]]]}");
    ASSERT_TRUE(shallow.has_value());
    EXPECT_EQ(shallow->title, "a");
}

TEST(CompanionLineLimitsTest, ModeNumbersOutsideTheIntegerRangeAreWrongTypes)
{
    // Each of these once went through a conversion of an out-of-range double to an integer.
    for (const char *mode : {"1e300", "-1e300", "2147483648.0", "-2147483649.0", "9.3e18"})
        EXPECT_FALSE(NowPlayingPayload::decode(std::string(R"({"title": "a", "shuffle": )") + mode + "}").has_value())
            << mode;
    auto edge = NowPlayingPayload::decode(R"({"title": "a", "shuffle": 2147483647.0, "repeat": -2147483648.0})");
    ASSERT_TRUE(edge.has_value());
    EXPECT_EQ(edge->shuffle, 2147483647);
    EXPECT_EQ(edge->repeat, -2147483648);
    EXPECT_FALSE(NowPlayingPayload::decode(R"({"title": "a", "repeat": 2.5})").has_value());
}
