#include "NowPlaying/NowPlayingPayload.h"
#include "Platform/JsonText.h"

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

TEST(CompanionLineLimitsTest, ArtworkIsValidBase64ByTheStrictRules)
{
    auto bytes = [](const char *text) {
        NowPlayingPayload payload;
        payload.artwork = text;
        const auto decoded = payload.artworkBytes();
        return decoded ? decoded->toHex().toStdString() : std::string("invalid");
    };
    EXPECT_EQ(bytes(""), "");
    EXPECT_EQ(bytes("QUJD"), "414243");
    EXPECT_EQ(bytes("QUJ"), "4142");
    EXPECT_EQ(bytes("QUJ="), "4142");
    EXPECT_EQ(bytes("QQ=="), "41");
    EXPECT_EQ(bytes("QQ"), "41");
    EXPECT_EQ(bytes("QUJDQ"), "414243");  // a lone last character adds nothing
    EXPECT_EQ(bytes("QR=="), "41");       // unused low bits are not checked
    for (const char *bad : {"QQ=", "QQ===", "QUJD=", "QUJD==", "QQ==QQ", "QQ=Q", " QQ==", "QQ== ", "QU JD", "=", "==",
                            "====", "Q===", "QUJ-", "QUJ_", "Q\nUJD", "A=B="})
        EXPECT_EQ(bytes(bad), "invalid") << bad;
    NowPlayingPayload none;
    EXPECT_FALSE(none.artworkBytes());
}

TEST(CompanionLineLimitsTest, LongArtworkLinesDecodeAsShortOnesDo)
{
    // Long plain strings take a shorter way through the parse; what comes out is the same.
    const std::string art(300000, 'A');
    const std::string line = R"({"title":"T","artwork":")" + art + R"(","album": ")" + std::string(5000, 'b')
        + R"(","x":{"y":[")" + std::string(2000, 'c') + R"("],"z":")" + std::string(3000, 'd') + R"("}})";
    const auto decoded = NowPlayingPayload::decode(line);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->artwork, art);
    EXPECT_EQ(decoded->album, std::string(5000, 'b'));
    EXPECT_EQ(decoded->title, "T");
    EXPECT_EQ(parseUntrustedJson(line), nlohmann::json::parse(line));
    // Escapes, non-ASCII text and a NUL escape anywhere: the ordinary parse, the same values.
    for (const std::string &text :
         {R"({"title":")" + std::string(2000, 'x') + R"(\n","artwork":")" + art + R"("})",
          R"({"title":"\u0000","artwork":")" + art + R"("})", R"({"title":")" + std::string(2000, 'x') + "\xc3\xa9\"}",
          R"({"artwork":")" + art + R"(","artwork":"B"})", R"({"artwork":"B","artwork":")" + art + R"("})"})
        EXPECT_EQ(parseUntrustedJson(text), nlohmann::json::parse(text)) << text.substr(0, 40);
    // Malformed stays malformed.
    EXPECT_TRUE(parseUntrustedJson(R"({"artwork":")" + art + R"(",})").is_discarded());
    EXPECT_TRUE(parseUntrustedJson(R"({"artwork":")" + art).is_discarded());
    EXPECT_FALSE(NowPlayingPayload::decode(R"({"title":")" + art + "\xff\"}"));
}
