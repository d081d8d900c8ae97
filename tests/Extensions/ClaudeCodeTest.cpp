#include "ClaudeCodeSupport.h"

#include "Kit/Palette.h"

using namespace vesk;
using nlohmann::json;
using CC = ClaudeCodeExtension;

namespace {

class ClaudeCodeIntakeTest : public test::ClaudeCodeTest {
protected:
    json session(const std::string &id, const std::string &cwd = "/Users/me/src/app")
    {
        return cwd.empty() ? json{{"session_id", id}} : json{{"session_id", id}, {"cwd", cwd}};
    }
    // "ID/PROJECT/STATE" of every session, in list order.
    std::string list(const CC &c) const
    {
        std::string text;
        for (const auto &s : c.sessions.peek()) {
            const char *state = std::holds_alternative<CC::Working>(s.state) ? "working"
                : std::holds_alternative<CC::Waiting>(s.state)              ? "waiting"
                                                                            : "done";
            text += (text.empty() ? "" : ",") + s.id + "/" + s.project + "/" + state;
        }
        return text;
    }
};

TEST_F(ClaudeCodeIntakeTest, WaitingOutranksWorkingAndTheFirstInListOrderWins)
{
    auto c = enable();
    appendEvent("PreToolUse", session("a", "/w/one"));
    appendEvent("Notification", session("b", "/w/two"));
    appendEvent("Notification", session("c", "/w/three"));
    time.advance(1);
    const auto a = c->activity();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->text, QStringLiteral("Needs you \u00B7 two"));
    EXPECT_EQ(a->symbol, "hand.raised.fill");
    EXPECT_TRUE(a->isUrgent);
    EXPECT_EQ(a->tint, CC::orange());
    EXPECT_EQ(CC::orange().name().toUpper(), "#D97857");
}

TEST_F(ClaudeCodeIntakeTest, AWorkingSessionsTintAgesWithTheWork)
{
    auto c = enable();
    appendEvent("UserPromptSubmit", session("a"));
    time.advance(1);
    ASSERT_TRUE(c->activity());
    EXPECT_EQ(c->activity()->text, "app");
    EXPECT_FALSE(c->activity()->isUrgent);
    time.advance(60);
    EXPECT_EQ(c->activity()->tint, kit::palette::green.toQColor()) << "exactly 60 s";
    time.advance(1);
    EXPECT_EQ(c->activity()->tint, kit::palette::yellow.toQColor());
    time.advance(239);
    EXPECT_EQ(c->activity()->tint, kit::palette::yellow.toQColor()) << "exactly 300 s";
    time.advance(1);
    EXPECT_EQ(c->activity()->tint, kit::palette::red.toQColor());
    appendEvent("Stop", session("a"));
    time.advance(1);
    EXPECT_FALSE(c->activity()) << "done sessions show nothing";
}

TEST_F(ClaudeCodeIntakeTest, PruningKeepsAnAgeEqualToItsBound)
{
    auto c = enable();
    appendEvent("SessionStart", session("d"));
    appendEvent("Notification", session("w"));
    time.advance(1);
    EXPECT_EQ(list(*c), "d/app/done,w/app/waiting");
    time.advance(600);
    EXPECT_EQ(list(*c), "d/app/done,w/app/waiting") << "600 s old stays";
    time.advance(1);
    EXPECT_EQ(list(*c), "w/app/waiting");
    time.advance(3599 - 601);
    EXPECT_TRUE(c->activity()) << "59 minutes and more";
    time.jumpWall(2);  // asleep: wall time passes
    time.advance(1);
    EXPECT_EQ(list(*c), "");
    EXPECT_FALSE(c->activity());
}

TEST_F(ClaudeCodeIntakeTest, TheTickReportsEverySecondWhileAnySessionLives)
{
    auto c = enable();
    int &changes = countChanges();
    time.advance(3);
    EXPECT_EQ(changes, 0) << "no sessions, no change: silent";
    appendEvent("SessionStart", session("a"));
    time.advance(3);
    EXPECT_EQ(changes, 3) << "a done session gives no activity, yet it lives";
    appendEvent("SessionEnd", session("a"));
    time.advance(3);
    EXPECT_EQ(changes, 3);
    int notified = 0;
    const auto connection = c->sessions.observe([&] { ++notified; });
    time.advance(2);
    EXPECT_EQ(notified, 2) << "every pruning pass edits the list";
}

TEST_F(ClaudeCodeIntakeTest, EventsBeforeTheStartAreNeverHandled)
{
    makeFolder();
    for (int i = 0; i < 50; ++i)
        appendEvent("PreToolUse", session("old" + std::to_string(i)));
    const auto size = std::filesystem::file_size(events());
    auto c = enable();
    EXPECT_EQ(c->readOffset(), size);
    appendEvent("PreToolUse", session("new"));
    time.advance(1);
    EXPECT_EQ(list(*c), "new/app/working");
}

TEST_F(ClaudeCodeIntakeTest, AShrunkOrReplacedFileIsReadFromTheStart)
{
    auto c = enable();
    makeFolder();
    writeFile(events(), std::string(800'000, ' ') + "\n");
    time.advance(1);
    EXPECT_EQ(c->readOffset(), 800'001u);
    writeFile(events(), "");
    appendEvent("SessionStart", session("a"));
    appendEvent("SessionStart", session("b"));
    time.advance(1);
    EXPECT_EQ(list(*c), "a/app/done,b/app/done");

    // Another file of the same size as the offset: another inode, read from 0.
    const std::string bytes = readFile(events());
    std::string other = json{{"event", "Notification"}, {"at", 0}, {"data", session("c")}}.dump() + "\n";
    other.resize(bytes.size() - 1, ' ');
    other += "\n";
    writeFile(events() + ".new", other);
    std::filesystem::rename(events() + ".new", events());
    time.advance(1);
    EXPECT_EQ(list(*c), "a/app/done,b/app/done,c/app/waiting");
}

TEST_F(ClaudeCodeIntakeTest, ALineIsTakenOnlyWhole)
{
    auto c = enable();
    std::vector<std::string> taken;
    c->lineTaken = [&](std::string_view line) { taken.emplace_back(line); };
    const std::string line = json{{"event", "PreToolUse"}, {"data", session("a")}}.dump();
    makeFolder();
    writeFile(events(), line.substr(0, 10), std::ios::app);
    time.advance(1);
    EXPECT_TRUE(taken.empty());
    EXPECT_EQ(c->readOffset(), 0u);
    writeFile(events(), line.substr(10) + "\n\n", std::ios::app);
    time.advance(1);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0], line);
    EXPECT_EQ(c->readOffset(), line.size() + 2);
    time.advance(1);
    EXPECT_EQ(taken.size(), 1u);
}

TEST_F(ClaudeCodeIntakeTest, MalformedLinesAreSkippedAndTheRestHandled)
{
    auto c = enable();
    makeFolder();
    writeFile(events(),
              "not json\n[1,2]\n{}\n{\"event\":5,\"data\":{\"session_id\":\"x\"}}\n\xff\xfe\n"
              "{\"event\":\"PreToolUse\",\"data\":[1]}\n"
              "{\"event\":\"PreToolUse\",\"data\":{\"cwd\":\"/a\"}}\n"
              "{\"event\":\"PreToolUse\",\"data\":{\"session_id\":7}}\n"
              "{\"event\":\"Whatever\",\"data\":{\"session_id\":\"u\"}}\n"
              + std::string(100, '[') + "\n"
              + json{{"event", "PreToolUse"}, {"data", session("ok")}}.dump() + "\n",
              std::ios::app);
    time.advance(1);
    EXPECT_EQ(list(*c), "ok/app/working");
}

TEST_F(ClaudeCodeIntakeTest, PromptAndToolEventsStartWorkOnceAndStopMeasuresTheWholeTurn)
{
    auto c = enable();
    appendEvent("UserPromptSubmit", session("a", "/Users/me/src/app/"));
    time.advance(1);
    const double began = time.wallNow();
    ASSERT_EQ(c->sessions.peek().size(), 1u);
    EXPECT_EQ(c->sessions.peek()[0].project, "app") << "a trailing slash does not count";
    EXPECT_EQ(c->sessions.peek()[0].state, CC::SessionState(CC::Working{began}));
    time.advance(5);
    appendEvent("PostToolUse", session("a"));
    time.advance(1);
    EXPECT_EQ(c->sessions.peek()[0].state, CC::SessionState(CC::Working{began}));
    EXPECT_EQ(c->sessions.peek()[0].lastEvent, time.wallNow());
    appendEvent("Stop", session("a"));
    time.advance(1);  // 7 s
    EXPECT_TRUE(alertTexts().empty());

    appendEvent("PreToolUse", session("a"));
    time.advance(1);
    time.advance(7);
    appendEvent("Stop", session("a"));
    time.advance(1);  // 8 s of work by the tick's clock
    EXPECT_TRUE(alertTexts().empty()) << "exactly 8 s";

    appendEvent("PreToolUse", session("a"));
    time.advance(1);
    time.advance(7);
    time.jumpWall(0.1);
    appendEvent("Stop", session("a"));
    time.advance(1);  // 8.1 s
    time.flush();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].first.text, QStringLiteral("Done \u00B7 app"));
    EXPECT_EQ(alerts[0].first.symbol, "checkmark.circle.fill");
    EXPECT_EQ(alerts[0].first.tint, kit::palette::green.toQColor());
    EXPECT_EQ(alerts[0].second, 3.5);
    alerts.clear();

    appendEvent("Notification", session("a"));
    appendEvent("Stop", session("a"));
    time.advance(1);
    EXPECT_EQ(alertTexts(), std::vector<QString>{QStringLiteral("Needs you \u00B7 app")}) << "no Done from waiting";
    EXPECT_TRUE(std::holds_alternative<CC::Done>(c->sessions.peek()[0].state));
}

TEST_F(ClaudeCodeIntakeTest, NotificationsWaitAndAlertEveryTime)
{
    auto c = enable();
    appendEvent("Notification", session("a", ""));
    appendEvent("Notification", json{{"session_id", "a"}, {"message", "Allow Bash?"}});
    time.advance(1);
    ASSERT_EQ(c->sessions.peek().size(), 1u);
    EXPECT_EQ(c->sessions.peek()[0].project, "Claude");
    EXPECT_EQ(c->sessions.peek()[0].state, CC::SessionState(CC::Waiting{"Allow Bash?"}));
    time.flush();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].first.text, QStringLiteral("Needs you \u00B7 Claude"));
    EXPECT_EQ(alerts[0].second, 6.0);
    EXPECT_FALSE(alerts[0].first.isUrgent);
    alerts.clear();
    appendEvent("Notification", session("a", "/x/renamed"));
    time.advance(1);
    EXPECT_EQ(c->sessions.peek()[0].state, CC::SessionState(CC::Waiting{"Claude needs your input"}));
    EXPECT_EQ(alertTexts(), std::vector<QString>{QStringLiteral("Needs you \u00B7 renamed")});
}

TEST_F(ClaudeCodeIntakeTest, SessionEndAndUnknownEvents)
{
    auto c = enable();
    appendEvent("SessionEnd", session("ghost"));
    appendEvent("SubagentStop", session("ghost"));
    appendEvent("sessionstart", session("ghost"));
    time.advance(1);
    EXPECT_EQ(list(*c), "");
    appendEvent("SessionStart", session("a", "/p/one"));
    appendEvent("SessionStart", session("b", "/p/two"));
    appendEvent("PreToolUse", session("a", ""));
    time.advance(1);
    EXPECT_EQ(list(*c), "a/one/working,b/two/done") << "a changed session keeps its place";
    appendEvent("SessionEnd", session("a"));
    time.advance(1);
    EXPECT_EQ(list(*c), "b/two/done");
    c->stop();
    EXPECT_EQ(list(*c), "");
}

TEST_F(ClaudeCodeIntakeTest, RotationLosesNoLineAndTakesNoneTwice)
{
    auto c = enable();
    c->eventFileBound = 200;
    std::vector<std::string> taken;
    c->lineTaken = [&](std::string_view line) { taken.emplace_back(line); };
    for (int i = 0; i < 6; ++i)
        appendEvent("SessionStart", session("s" + std::to_string(i)));
    ASSERT_GT(std::filesystem::file_size(events()), 200u);
    time.advance(1);
    EXPECT_TRUE(exists(events() + ".old"));
    EXPECT_EQ(std::filesystem::file_size(events()), 0u) << "a fresh empty file";
    EXPECT_EQ(c->readOffset(), 0u);
    // A hook that opened the file before the rename appends to the old one; a later one to the new.
    writeFile(events() + ".old", json{{"event", "SessionStart"}, {"data", session("late")}}.dump() + "\npartial", std::ios::app);
    appendEvent("SessionStart", session("next"));
    time.advance(1);
    EXPECT_FALSE(exists(events() + ".old"));
    EXPECT_EQ(taken.size(), 8u);
    EXPECT_EQ(list(*c), "s0/app/done,s1/app/done,s2/app/done,s3/app/done,s4/app/done,s5/app/done,late/app/done,next/app/done");
    time.advance(3);
    EXPECT_EQ(taken.size(), 8u);
}

TEST_F(ClaudeCodeIntakeTest, ALineWithoutEndPastTheBoundIsSkippedToItsLineFeed)
{
    auto c = enable();
    c->longestLine = 1000;
    std::vector<std::string> taken;
    c->lineTaken = [&](std::string_view line) { taken.emplace_back(line); };
    makeFolder();
    writeFile(events(), std::string(999, 'x'), std::ios::app);
    time.advance(1);
    EXPECT_EQ(c->readOffset(), 0u) << "999 bytes may still become a line";
    writeFile(events(), "x", std::ios::app);
    time.advance(1);
    EXPECT_EQ(c->readOffset(), 1000u);
    writeFile(events(), "yyy\n", std::ios::app);
    appendEvent("SessionStart", session("a"));
    time.advance(1);
    EXPECT_EQ(taken.size(), 1u);
    EXPECT_EQ(list(*c), "a/app/done");
}

// A pipe in place of the event file or the status file is passed over at once, tick after tick,
// and reading resumes once a file is back.
TEST_F(ClaudeCodeIntakeTest, APipeInPlaceOfAFileNeverStallsTheTick)
{
    makeFolder();
    ASSERT_EQ(::mkfifo(events().c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder() + "/statusline.json").c_str(), 0600), 0);
    auto c = enable();
    time.advance(3);
    EXPECT_EQ(list(*c), "");
    EXPECT_FALSE(c->limitsUpdated.peek());
    std::filesystem::remove(events());
    appendEvent("SessionStart", session("a"));
    writeStatus("{\"rate_limits\":{\"five_hour\":{\"used_percentage\":5}}}");
    time.advance(1);
    EXPECT_EQ(list(*c), "a/app/done");
    EXPECT_TRUE(c->fiveHour.peek());
}

// More than a tick takes is read over the next ticks, none lost or taken twice; far more, and only
// the newest lines are taken.
TEST_F(ClaudeCodeIntakeTest, AFloodIsTakenInBoundedStepsOrSkippedToItsNewestLines)
{
    auto c = enable();
    std::vector<std::string> taken;
    c->lineTaken = [&](std::string_view line) { taken.emplace_back(line); };
    makeFolder();
    const auto line = [](int i) {
        std::string text = json{{"event", "Whatever"}, {"data", {{"session_id", std::to_string(i)}}}}.dump();
        text.resize(199, ' ');
        return text + "\n";
    };
    std::string burst;
    for (int i = 0; i < 12'500; ++i)
        burst += line(i);
    writeFile(events(), burst, std::ios::app);
    time.advance(1);
    EXPECT_GT(taken.size(), 4'000u);
    EXPECT_LT(taken.size(), 6'000u) << "about a mebibyte a tick";
    // The file was rotated: what a hook appends now comes after the rest of the rotated one.
    writeFile(events(), line(12'500), std::ios::app);
    time.advance(3);
    ASSERT_EQ(taken.size(), 12'501u);
    for (size_t i = 0; i < taken.size(); ++i)
        ASSERT_EQ(taken[i] + "\n", line(int(i)));

    taken.clear();
    std::string flood;
    for (int i = 0; i < 50'000; ++i)
        flood += line(i);
    {
        test::CapturedLog log;
        writeFile(events(), flood, std::ios::app);
        time.advance(1);
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].find("skipped"), std::string::npos) << log.lines[0];
    }
    ASSERT_FALSE(taken.empty());
    EXPECT_LE(taken.size(), size_t((1 << 20) / 200 + 1));
    EXPECT_EQ(taken.back() + "\n", line(49'999));
    EXPECT_EQ(taken.front() + "\n", line(50'000 - int(taken.size()))) << "whole lines from the cut on";
    time.advance(3);
    EXPECT_LE(taken.size(), size_t((1 << 20) / 200 + 1));
}

// A line far longer than any event is dropped whole, and the names drawn from the rest are cut to
// a size a row can show.
TEST_F(ClaudeCodeIntakeTest, OverlongLinesAreDroppedAndLongTextsCut)
{
    auto c = enable();
    appendEvent("PreToolUse", session("huge", "/w/" + std::string(10'000'000, 'x')));
    appendEvent("SessionStart", session("a", "/w/" + std::string(1'000, 'y')));
    time.advance(1);
    appendEvent("PreToolUse", session("long", "/w/" + std::string(100'000, 'x')));
    std::string accents;
    for (int i = 0; i < 500; ++i)
        accents += "\xC3\xA9";  // é
    appendEvent("SessionStart", session("b", "/w/z" + accents));
    appendEvent("Notification", json{{"session_id", "c"}, {"message", std::string(5'000, 'm')}});
    time.advance(1);
    const auto &list = c->sessions.peek();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].id, "a");
    EXPECT_EQ(list[0].project, std::string(255, 'y'));
    EXPECT_EQ(list[1].project, "z" + accents.substr(0, 254)) << "never inside a character";
    EXPECT_EQ(list[2].state, CC::SessionState(CC::Waiting{std::string(1'024, 'm')}));
}

TEST_F(ClaudeCodeIntakeTest, StartDeletesALeftoverRotatedFileUnread)
{
    makeFolder();
    writeFile(events() + ".old", json{{"event", "Notification"}, {"data", session("a")}}.dump() + "\n");
    auto c = enable();
    time.advance(2);
    EXPECT_FALSE(exists(events() + ".old"));
    EXPECT_EQ(list(*c), "");
}

TEST_F(ClaudeCodeIntakeTest, LimitsWarnOnceAt90AndReArmBelow80)
{
    auto c = enable();
    int64_t date = 1'700'000'000;
    auto status = [&](const std::string &fiveHour, const std::string &weekly = "") {
        std::string rates = "\"five_hour\":{\"used_percentage\":" + fiveHour + "}";
        if (!weekly.empty())
            rates += ",\"seven_day\":{\"used_percentage\":" + weekly + "}";
        writeStatus("{\"rate_limits\":{" + rates + "}}", ++date);
        time.advance(1);
        return alertTexts();
    };
    using Texts = std::vector<QString>;
    EXPECT_EQ(status("91"), Texts{QStringLiteral("5-hour limit \u00B7 91%")});
    EXPECT_EQ(status("95"), Texts{});
    EXPECT_EQ(status("85"), Texts{});
    EXPECT_EQ(status("80"), Texts{}) << "80 does not re-arm";
    EXPECT_EQ(status("90"), Texts{});
    EXPECT_EQ(status("79"), Texts{});
    EXPECT_EQ(status("90.0"), Texts{QStringLiteral("5-hour limit \u00B7 90%")});
    EXPECT_EQ(status("92", "99.99"), Texts{QStringLiteral("Weekly limit \u00B7 99%")});
    EXPECT_EQ(status("10"), Texts{}) << "weekly absent: it neither warns nor re-arms";
    EXPECT_EQ(status("10", "95"), Texts{});
    EXPECT_EQ(status("1e30"), Texts{QStringLiteral("5-hour limit \u00B7 9223372036854775807%")});
    // The same file is not taken twice; its alert details.
    time.advance(3);
    EXPECT_TRUE(alertTexts().empty());
    writeStatus("{\"rate_limits\":{\"five_hour\":{\"used_percentage\":1}}}", ++date);
    time.advance(1);
    writeStatus("{\"rate_limits\":{\"five_hour\":{\"used_percentage\":93.7}}}", ++date);
    time.advance(1);
    time.flush();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].first.symbol, "gauge.with.dots.needle.67percent");
    EXPECT_EQ(alerts[0].first.tint, kit::palette::orange.toQColor());
    EXPECT_EQ(alerts[0].second, 5.0);
}

TEST_F(ClaudeCodeIntakeTest, TheStatusFileIsTakenByItsDateToTheNanosecond)
{
    writeStatus("{\"rate_limits\":{\"five_hour\":{\"used_percentage\":42,\"resets_at\":1767225600}}}", 1'700'000'000, 5);
    auto c = enable();
    ASSERT_TRUE(c->fiveHour.peek()) << "read once at start";
    EXPECT_EQ(*c->fiveHour.peek(), (CC::Limit{42, 1767225600.0}));
    EXPECT_FALSE(c->weekly.peek());
    EXPECT_EQ(c->limitsUpdated.peek(), (CC::FileTime{1'700'000'000, 5}));
    int notified = 0;
    const auto connection = c->fiveHour.observe([&] { ++notified; });
    writeStatus("{\"rate_limits\":{\"five_hour\":{\"used_percentage\":42,\"resets_at\":1767225600000}}}", 1'700'000'000, 6);
    time.advance(1);
    EXPECT_EQ(c->limitsUpdated.peek(), (CC::FileTime{1'700'000'000, 6})) << "one nanosecond later: taken";
    EXPECT_EQ(notified, 0) << "milliseconds give the same date: an equal value notifies nobody";
    writeStatus("not json", 1'700'000'001);
    time.advance(1);
    EXPECT_EQ(c->limitsUpdated.peek(), (CC::FileTime{1'700'000'000, 6})) << "not taken, tried again";
    writeStatus("{\"model\":{}}", 1'700'000'002);
    time.advance(1);
    EXPECT_FALSE(c->fiveHour.peek()) << "no rate_limits clears both";
    EXPECT_EQ(notified, 1);
}

TEST_F(ClaudeCodeIntakeTest, OneWindow)
{
    auto window = [](const char *text) {
        const json value = json::parse(text);
        return CC::limit(&value);
    };
    EXPECT_EQ(window(R"({"used_percentage":"42"})"), std::nullopt);
    EXPECT_EQ(window(R"([42])"), std::nullopt);
    EXPECT_EQ(CC::limit(nullptr), std::nullopt);
    EXPECT_EQ(window(R"({"used_percentage":120.5})"), (CC::Limit{120.5, std::nullopt})) << "not clamped";
    EXPECT_EQ(window(R"({"used_percentage":5,"resets_at":"2026-01-01T00:00:00Z"})"), (CC::Limit{5, 1767225600.0}));
    EXPECT_EQ(window(R"({"used_percentage":5,"resets_at":"2026-01-01T00:00:00.000Z"})"), (CC::Limit{5, std::nullopt}));
    EXPECT_EQ(window(R"({"used_percentage":5,"resets_at":true})"), (CC::Limit{5, std::nullopt}));
    EXPECT_EQ(window(R"({"used_percentage":5,"resets_at":1000000000000})"), (CC::Limit{5, 1e12})) << "not above: seconds";
}

TEST_F(ClaudeCodeIntakeTest, InternetDatesAreStrict)
{
    EXPECT_EQ(CC::parseInternetDate("1970-01-01T00:00:00Z"), 0.0);
    EXPECT_EQ(CC::parseInternetDate("2026-01-01T02:30:00+02:30"), 1767225600.0);
    EXPECT_EQ(CC::parseInternetDate("2025-12-31T23:00:00-01:00"), 1767225600.0);
    EXPECT_EQ(CC::parseInternetDate("2024-02-29T00:00:00Z"), 1709164800.0);
    EXPECT_EQ(CC::parseInternetDate("0000-01-01T00:00:00Z"), -62167219200.0);
    for (const char *bad : {"2026-01-01", "2026-01-01T00:00Z", "2026-01-01T00:00:00", "2026-01-01t00:00:00Z",
                            "2026-01-01 00:00:00Z", "2026-01-01T00:00:00z", "2025-02-29T00:00:00Z", "2026-13-01T00:00:00Z",
                            "2026-01-32T00:00:00Z", "2026-01-01T24:00:00Z", "2026-01-01T00:60:00Z", "2026-01-01T00:00:60Z",
                            "2026-01-01T00:00:00+0200", "2026-01-01T00:00:00+24:00", "+2026-01-01T00:00:00Z",
                            "2026-01-01T00:00:00.5Z", "2026-0a-01T00:00:00Z", ""})
        EXPECT_EQ(CC::parseInternetDate(bad), std::nullopt) << bad;
}

}  // namespace
