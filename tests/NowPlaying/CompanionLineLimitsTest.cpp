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
