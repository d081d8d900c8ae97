#include "Model/Peek.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

Peek eventTitled(const QString &title, int minutes)
{
    return Peek::event(title, minutes, 0, QColor(Qt::red));
}

ExtensionActivity activity(const std::string &id, const std::string &symbol, const QString &text)
{
    return {id, symbol, QColor(Qt::green), text, false};
}

}  // namespace

TEST(PeekTest, EqualityComparesCaseAndPayload)
{
    EXPECT_EQ(Peek::volume(0.5f, false), Peek::volume(0.5f, false));
    EXPECT_NE(Peek::volume(0.5f, false), Peek::volume(0.5f, true));
    EXPECT_NE(Peek::focus(true), Peek::capsLock(true));
    EXPECT_NE(Peek::download(std::nullopt), Peek::download(0.0));
    EXPECT_NE(eventTitled("Standup", 3), eventTitled("Standup", 2));
}

TEST(PeekTest, SameActivityFollowsTheActivityNotItsProgress)
{
    EXPECT_TRUE(Peek::download(0.2).isSameActivity(Peek::download(std::nullopt)));
    EXPECT_TRUE(eventTitled("Standup", 3).isSameActivity(eventTitled("Standup", 1)));
    EXPECT_FALSE(eventTitled("Standup", 3).isSameActivity(eventTitled("Retro", 3)));
    EXPECT_TRUE(Peek::timer().isSameActivity(Peek::timer()));

    const Peek build = Peek::custom(activity("ci", "hammer", "Building"));
    EXPECT_TRUE(build.isSameActivity(Peek::custom(activity("ci", "hammer", "Tests"))));
    EXPECT_FALSE(build.isSameActivity(Peek::custom(activity("ci", "checkmark", "Building"))));
    EXPECT_FALSE(build.isSameActivity(Peek::custom(activity("other", "hammer", "Building"))));

    // Readouts are never an update of anything, not even of themselves.
    EXPECT_FALSE(Peek::battery(50, true).isSameActivity(Peek::battery(50, true)));
    EXPECT_FALSE(Peek::timerDone().isSameActivity(Peek::timerDone()));
    EXPECT_FALSE(Peek::timer().isSameActivity(std::nullopt));
    EXPECT_FALSE(Peek::download(0.5).isSameActivity(Peek::downloadDone()));
}

TEST(PeekTest, LabelsOfTheReadouts)
{
    EXPECT_FALSE(Peek::volume(0.3f, false).text());
    EXPECT_FALSE(Peek::brightness(0.3f).text());
    EXPECT_FALSE(Peek::timer().text());
    EXPECT_EQ(Peek::battery(7, false).text(), "7%");
    EXPECT_EQ(Peek::device("headphones", true).text(), "Connected");
    EXPECT_EQ(Peek::device("headphones", false).text(), "Disconnected");
    EXPECT_EQ(Peek::focus(false).text(), "Off");
    EXPECT_EQ(Peek::capsLock(true).text(), "On");
    EXPECT_EQ(Peek::inputSource("German").text(), "German");
    EXPECT_EQ(Peek::timerDone().text(), "Done");
    EXPECT_EQ(Peek::downloadDone().text(), "Done");
    EXPECT_EQ(Peek::custom(activity("ci", "hammer", "Building")).text(), "Building");
}

TEST(PeekTest, DownloadLabelTruncatesAndIsEmptyWhileUndetermined)
{
    EXPECT_EQ(Peek::download(0.999).text(), "99%");
    EXPECT_EQ(Peek::download(0.07).text(), "7%");
    EXPECT_EQ(Peek::download(1.0).text(), "100%");
    EXPECT_FALSE(Peek::download(std::nullopt).text());
}

TEST(PeekTest, EventLabelDependsOnTheTitleLengthInGraphemes)
{
    // 14 characters: drawn with the title.
    EXPECT_EQ(eventTitled("Design review!", 5).text(), QString::fromUtf8("Design review! · 5m"));
    EXPECT_EQ(eventTitled("Design review!", 0).text(), QString::fromUtf8("Design review! · now"));
    EXPECT_EQ(eventTitled("Standup", -1).text(), QString::fromUtf8("Standup · now"));
    // 15 characters: the minutes only, the preview shows the title.
    EXPECT_EQ(eventTitled("Design reviews!", 5).text(), "5m");
    EXPECT_EQ(eventTitled("Design reviews!", 0).text(), "now");

    // Clusters count once: 14 flags are 28 code points but 14 characters.
    QString flags;
    for (int i = 0; i < 14; ++i)
        flags += QString::fromUtf8("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA");
    EXPECT_EQ(graphemeCount(flags), 14);
    EXPECT_FALSE(Peek::isLongTitle(flags));
    EXPECT_TRUE(Peek::isLongTitle(flags + "x"));
    // A combining accent does not make a character of its own.
    EXPECT_EQ(graphemeCount(QString::fromUtf8("e\xCC\x81")), 1);
}
