#include "Platform/JsonText.h"

#include <gtest/gtest.h>

#include <string>

using namespace vesk;

TEST(JsonTextTest, NestingIsCountedOutsideStringsOnly)
{
    EXPECT_EQ(jsonNestingDepth("1"), 0);
    EXPECT_EQ(jsonNestingDepth(R"({"a": [1, {"b": []}]})"), 4);
    EXPECT_EQ(jsonNestingDepth(R"({"a": "[[[[{{{{"})"), 1);
    EXPECT_EQ(jsonNestingDepth(R"({"a": "\"[[["})"), 1);  // an escaped quote does not end the string
    EXPECT_EQ(jsonNestingDepth(R"(["\\", [[]]])"), 3);    // an escaped backslash does
    EXPECT_EQ(jsonNestingDepth("]]]][]"), 1);             // stray closers never go below zero
}

TEST(JsonTextTest, DocumentsDeeperThanTheLimitAreRejected)
{
    auto nested = [](int levels) { return std::string(size_t(levels), '[') + std::string(size_t(levels), ']'); };
    EXPECT_FALSE(parseUntrustedJson(nested(kJsonDepthLimit)).is_discarded());
    EXPECT_TRUE(parseUntrustedJson(nested(kJsonDepthLimit + 1)).is_discarded());
    EXPECT_TRUE(parseUntrustedJson(nested(200000)).is_discarded());
    EXPECT_TRUE(parseUntrustedJson(std::string(200000, '{')).is_discarded());
    EXPECT_TRUE(parseUntrustedJson("{\"a\": ").is_discarded());
    EXPECT_TRUE(parseUntrustedJson("\"\xff\"").is_discarded());  // invalid UTF-8, no exception
    EXPECT_EQ(parseUntrustedJson(R"({"a": [1, 2]})")["a"][1], 2);
}

TEST(JsonTextTest, ANulByteAnywhereMakesTheTextMalformed)
{
    using namespace std::string_literals;
    EXPECT_TRUE(parseUntrustedJson("{\"a\": 1}\0{\"b\": 2}"s).is_discarded());
    EXPECT_TRUE(parseUntrustedJson("4\0t["s).is_discarded());
    EXPECT_TRUE(parseUntrustedJson("\0"s).is_discarded());
    EXPECT_TRUE(parseUntrustedJson("{\"a\": \"x\0y\"}"s).is_discarded());
    EXPECT_EQ(parseUntrustedJson(R"({"a": "x\u0000y"})")["a"], "x\0y"s);  // the escaped form is fine
}
