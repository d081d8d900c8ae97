#include "App/SingleInstance.h"

#include <gtest/gtest.h>

using vesk::InstanceMessageReader;

TEST(InstanceMessageReaderTest, LinesArriveInAnyPiecesAndOnlyReopenCounts)
{
    InstanceMessageReader reader;
    EXPECT_EQ(reader.feed(std::string_view("reo")), 0);
    EXPECT_EQ(reader.feed(std::string_view("pen\nreopen\nhello\nreopen ")), 2);
    EXPECT_EQ(reader.feed(std::string_view("\nreopen\n")), 1);
    EXPECT_FALSE(reader.overflowed());
}

TEST(InstanceMessageReaderTest, MoreThanTheLimitWithoutALineFeedDropsTheClient)
{
    InstanceMessageReader exact;
    EXPECT_EQ(exact.feed(std::string(InstanceMessageReader::kLineLimit, 'x') + "\nreopen\n"), 1);
    EXPECT_FALSE(exact.overflowed());

    InstanceMessageReader reader;
    EXPECT_EQ(reader.feed(std::string(40, 'x')), 0);
    EXPECT_EQ(reader.feed(std::string(40, 'x') + "\nreopen\n"), 0);  // 80 bytes before the line feed
    EXPECT_TRUE(reader.overflowed());
    EXPECT_EQ(reader.feed(std::string_view("reopen\n")), 0);
}
