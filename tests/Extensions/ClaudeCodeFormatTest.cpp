#include "Extensions/ClaudeCodeFormat.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vesk::claude_code;

namespace {

std::string str(const QString &text) { return text.toStdString(); }

TEST(ClaudeCodeFormat, ClockShowsMinutesThenHours)
{
    EXPECT_EQ(str(clock(0.4)), "0:00");
    EXPECT_EQ(str(clock(59.9)), "0:59");
    EXPECT_EQ(str(clock(61)), "1:01");
    EXPECT_EQ(str(clock(3599)), "59:59");
    EXPECT_EQ(str(clock(3600)), "1:00:00");
    EXPECT_EQ(str(clock(10 * 3600 + 2 * 60 + 5)), "10:02:05");
    EXPECT_EQ(str(clock(-12)), "0:00") << "a start in the future";
    EXPECT_EQ(str(clock(1000 * 3600.0)), "1000:00:00") << "hours are not limited to two digits";
    EXPECT_EQ(str(clock(std::numeric_limits<double>::quiet_NaN())), "0:00");
    EXPECT_EQ(str(clock(1e300)), "2562047788015215:30:07") << "saturates at the largest 64-bit count";
}

TEST(ClaudeCodeFormat, UntilCountsDownToTheReset)
{
    const double now = 1'000'000;
    EXPECT_EQ(str(until(std::nullopt, now)), "");
    EXPECT_EQ(str(until(now + 59, now)), "resets in 0m");
    EXPECT_EQ(str(until(now + 61, now)), "resets in 1m");
    EXPECT_EQ(str(until(now + 3600, now)), "resets in 1h 0m");
    EXPECT_EQ(str(until(now + 7199, now)), "resets in 1h 59m");
    EXPECT_EQ(str(until(now + 86400 + 3600 + 60 + 1, now)), "resets in 1d 1h");
    EXPECT_EQ(str(until(now + 86399, now)), "resets in 23h 59m");
    EXPECT_EQ(str(until(now + 86400, now)), "resets in 1d 0h");
    EXPECT_EQ(str(until(now - 500, now)), "resets in 0m") << "the past";
    EXPECT_EQ(str(until(now + 0.9, now)), "resets in 0m");
    // Tens of thousands of years away and beyond 64 bits: a count, no wrap into the past.
    EXPECT_EQ(str(until(2'777'638'838'400.0, now)), "resets in 32148586d 2h");
    EXPECT_EQ(str(until(1e300, now)), "resets in 106751991167300d 15h");
    EXPECT_EQ(str(until(-1e300, now)), "resets in 0m");
}

TEST(ClaudeCodeFormat, WholeSaturatedCutsTowardZeroAndSaturates)
{
    EXPECT_EQ(wholeSaturated(-5.5), -5);
    EXPECT_EQ(wholeSaturated(42.8), 42);
    EXPECT_EQ(wholeSaturated(1e300), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(wholeSaturated(-1e300), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(wholeSaturated(std::numeric_limits<double>::infinity()), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(wholeSaturated(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ClaudeCodeFormat, RelativeDateInEnglishWords)
{
    const double now = 2'000'000'000;
    auto ago = [&](double seconds) { return str(relativeDate(now - seconds, now)); };
    EXPECT_EQ(ago(0), "now");
    EXPECT_EQ(ago(0.9), "now");
    EXPECT_EQ(ago(-0.9), "now");
    EXPECT_EQ(ago(1), "1 second ago");
    EXPECT_EQ(ago(59), "59 seconds ago");
    EXPECT_EQ(ago(60), "1 minute ago");
    EXPECT_EQ(ago(150), "2 minutes ago");
    EXPECT_EQ(ago(3600), "1 hour ago");
    EXPECT_EQ(ago(86399), "23 hours ago");
    EXPECT_EQ(ago(90'000), "yesterday");
    EXPECT_EQ(ago(2 * 86400), "2 days ago");
    EXPECT_EQ(ago(7 * 86400), "last week");
    EXPECT_EQ(ago(29 * 86400), "4 weeks ago");
    EXPECT_EQ(ago(30 * 86400), "last month");
    EXPECT_EQ(ago(364 * 86400), "12 months ago");
    EXPECT_EQ(ago(365 * 86400), "last year");
    EXPECT_EQ(ago(3 * 365 * 86400), "3 years ago");
    // Ahead of the clock.
    EXPECT_EQ(ago(-1), "in 1 second");
    EXPECT_EQ(ago(-150), "in 2 minutes");
    EXPECT_EQ(ago(-90'000), "tomorrow");
    EXPECT_EQ(ago(-8 * 86400), "next week");
    EXPECT_EQ(ago(-31 * 86400), "next month");
    EXPECT_EQ(ago(-400 * 86400), "next year");
    EXPECT_EQ(ago(-1e300), "in 292471208677 years") << "saturated, not wrapped";
    EXPECT_EQ(ago(1e300), "292471208677 years ago");
}

TEST(ClaudeCodeFormat, SingleLineTurnsBreaksIntoSpacesAndDropsControls)
{
    EXPECT_EQ(str(singleLine(QStringLiteral("a\nb\tc\r\nd"))), "a b c  d");
    EXPECT_EQ(str(singleLine(QString::fromUtf8("x\x01y\x1b[2Jz\u2028w"))), "xy[2Jz w");
    EXPECT_EQ(str(singleLine(QString::fromUtf8("caf\u00e9 \u00b7 ok"))), "caf\u00e9 \u00b7 ok");
}

}  // namespace
