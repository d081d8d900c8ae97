#include "TrackWatch/CommandLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace trackwatch;

namespace {

// Every line the reader hands on for `input`, read through a real stream.
std::vector<std::string> readAll(const std::string &input)
{
    std::vector<std::string> lines;
    std::FILE *stream = fmemopen(const_cast<char *>(input.data()), input.size(), "r");
    if (input.empty())
        stream = fmemopen(nullptr, 1, "r");
    CommandReader reader(stream);
    while (auto line = reader.next())
        lines.push_back(*line);
    std::fclose(stream);
    return lines;
}

TEST(CommandReaderTest, LinesAreTrimmedAndBlankOnesSkipped)
{
    EXPECT_EQ(readAll("cmd 1\r\n\n   \n\tseek 2 \nlast"), (std::vector<std::string>{"cmd 1", "seek 2", "last"}));
    EXPECT_TRUE(readAll("").empty());
}

TEST(CommandReaderTest, LongLinesAreCutEvery255Bytes)
{
    // 300 bytes: a piece of 255 and one of 45.
    std::string line = "a " + std::string(253, 'b') + "c " + std::string(43, 'd');
    ASSERT_EQ(line.size(), 300u);
    auto lines = readAll(line + "\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 255u);
    EXPECT_EQ(lines[1], "c " + std::string(43, 'd'));
    // A line of exactly 255 bytes and its line feed: the feed alone is a blank piece.
    EXPECT_EQ(readAll(std::string(255, 'e') + "\nf g\n").size(), 2u);
}

TEST(CommandReaderTest, InvalidUtf8AndCharactersCutAtTheBoundaryAreDropped)
{
    EXPECT_EQ(readAll("cmd \xff\nok 1\n"), std::vector<std::string>{"ok 1"});
    // "é" (two bytes) straddling the 255-byte boundary makes both pieces invalid.
    std::string straddle = std::string(254, 'x') + "\xC3\xA9" + "tail";
    EXPECT_TRUE(readAll(straddle + "\n").empty());
}

TEST(DecodePieceTest, StopsAtNulAndTrimsUnicodeSpace)
{
    using namespace std::string_literals;
    EXPECT_EQ(decodePiece("cmd 1\0garbage \xff"s), "cmd 1");
    EXPECT_EQ(decodePiece("\xE3\x80\x80seek 1\xC2\xA0\xE2\x80\xA8"), "seek 1");  // ideographic space, NBSP, LS
    EXPECT_EQ(decodePiece("\xC2\x85 x y \x0B"), "x y");                          // NEL and vertical tab
    EXPECT_EQ(decodePiece("\xE2\x80\x8B"), "\xE2\x80\x8B");  // a zero-width space is no whitespace
    EXPECT_EQ(decodePiece(" \n"), "");
}

TEST(DecodePieceTest, RejectsMalformedUtf8)
{
    for (const char *bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80",
                            "\x80", "\xE2\x82"})
        EXPECT_FALSE(decodePiece(bad)) << bad;
    EXPECT_TRUE(decodePiece("\xF0\x9F\x8E\xB5 \xE2\x82\xAC"));  // a four-byte and a three-byte character
}

TEST(ParseCommandTest, SplitsAtSingleSpaces)
{
    EXPECT_FALSE(parseCommand("shuffle"));
    EXPECT_FALSE(parseCommand(""));
    auto twoSpaces = parseCommand("cmd  1");
    ASSERT_TRUE(twoSpaces);
    EXPECT_EQ(twoSpaces->word, "cmd");
    EXPECT_EQ(twoSpaces->argument, "");
    auto third = parseCommand("cmd 4 extra words");
    ASSERT_TRUE(third);
    EXPECT_EQ(third->argument, "4");
    auto tab = parseCommand("cmd\t1 x");
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->word, "cmd\t1");
}

TEST(NumberWordTest, IntegersReadTheirLeadingDigitsAndSaturate)
{
    EXPECT_EQ(integerValue("4"), 4);
    EXPECT_EQ(integerValue("-5x"), -5);
    EXPECT_EQ(integerValue("+21"), 21);
    EXPECT_EQ(integerValue(""), 0);
    EXPECT_EQ(integerValue("x1"), 0);
    EXPECT_EQ(integerValue("1.9"), 1);
    EXPECT_EQ(integerValue("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(integerValue("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(NumberWordTest, DecimalsAcceptFractionAndExponentOnly)
{
    EXPECT_DOUBLE_EQ(doubleValue("30.5"), 30.5);
    EXPECT_DOUBLE_EQ(doubleValue("-1.5e2s"), -150.0);
    EXPECT_DOUBLE_EQ(doubleValue(".5"), 0.5);
    EXPECT_DOUBLE_EQ(doubleValue("7."), 7.0);
    EXPECT_DOUBLE_EQ(doubleValue("2e"), 2.0);
    for (const char *none : {"", "abc", ".", "-", "nan", "inf", "e5"})
        EXPECT_EQ(doubleValue(none), 0.0) << none;
    EXPECT_DOUBLE_EQ(doubleValue("0x10"), 0.0);  // hexadecimal is not a decimal number
    EXPECT_TRUE(std::isinf(doubleValue("1e999")));
    EXPECT_EQ(doubleValue("1e-999"), 0.0);
}

}  // namespace
