#include "ClaudeCodeSupport.h"

#include "App/ViewWiring.h"

#include "Extensions/ClaudeCodeFormat.h"
#include "Extensions/Views/ClaudeCodePage.h"
#include "Extensions/Views/ClaudeCodeSettings.h"
#include "Extensions/Views/LimitRow.h"
#include "Extensions/Views/SessionRows.h"
#include "Kit/Palette.h"
#include "Kit/Tree.h"

#include <QLabel>
#include <QPushButton>

using namespace vesk;
using CC = ClaudeCodeExtension;

namespace {

CC::Session session(const std::string &id, CC::SessionState state, double lastEvent, const std::string &project = "app")
{
    return CC::Session{id, project, std::move(state), lastEvent};
}

TEST(LimitRowTest, TintAndDetailFollowTheShare)
{
    const kit::Color extensionOrange = kit::Color::fromQColor(CC::orange());
    EXPECT_EQ(LimitRow::fraction(std::nullopt), 0.0);
    EXPECT_EQ(LimitRow::tint(LimitRow::fraction(std::nullopt)), extensionOrange);
    EXPECT_EQ(LimitRow::detail(std::nullopt, 0).toStdString(), "\u2013");

    auto tintAt = [](double percent) { return LimitRow::tint(LimitRow::fraction(CC::Limit{percent, std::nullopt})); };
    EXPECT_EQ(tintAt(69.99), extensionOrange);
    EXPECT_EQ(tintAt(70), kit::palette::orange);
    EXPECT_EQ(tintAt(89.99), kit::palette::orange);
    EXPECT_EQ(tintAt(90), kit::palette::red);
    EXPECT_EQ(tintAt(130), kit::palette::red);
    EXPECT_EQ(LimitRow::fraction(CC::Limit{130, std::nullopt}), 1.0) << "a full bar";
    EXPECT_EQ(LimitRow::fraction(CC::Limit{-5.5, std::nullopt}), 0.0) << "an empty bar";

    const double now = 1'000'000;
    EXPECT_EQ(LimitRow::detail(CC::Limit{130, now + 3600}, now).toStdString(), "130% \u00B7 resets in 1h 0m");
    EXPECT_EQ(LimitRow::detail(CC::Limit{-5.5, now + 61}, now).toStdString(), "-5% \u00B7 resets in 1m");
    EXPECT_EQ(LimitRow::detail(CC::Limit{42.8, std::nullopt}, now).toStdString(), "42% \u00B7 ");
    EXPECT_EQ(LimitRow::detail(CC::Limit{1e300, 1e300}, now).toStdString(),
              "9223372036854775807% \u00B7 resets in 106751991167300d 15h");
}

TEST(LimitRowTest, TheFillIsTheShareOfTheTrack)
{
    kit::Tree tree(QSizeF(200, 40));
    tree.setRoot(kit::view(LimitRow{QStringLiteral("5-hour"), CC::Limit{25, std::nullopt}, 0}));
    const QImage image = tree.render(1);
    // The bar's row: the first line whose left end shows the extension's orange.
    int y = -1;
    for (int row = 0; row < image.height() && y < 0; ++row) {
        const QColor c = image.pixelColor(20, row);
        if (c.redF() > 0.6 && c.greenF() < 0.6 && c.alphaF() > 0.9)
            y = row;
    }
    ASSERT_GE(y, 0) << "no orange fill at the leading end";
    EXPECT_GT(image.pixelColor(45, y).redF(), 0.6) << "filled up to a quarter of 200";
    EXPECT_LT(image.pixelColor(60, y).alphaF(), 0.5) << "the dim track past a quarter";
    EXPECT_GT(image.pixelColor(150, y).alphaF(), 0.05) << "the track runs the whole width";
}

TEST(SessionRowsTest, NewestTwoInAStableOrder)
{
    const double ten = 36000;
    std::vector<CC::Session> list{session("a", CC::Done{ten}, ten), session("b", CC::Done{ten}, ten + 300),
                                  session("c", CC::Done{ten}, ten + 60)};
    auto shown = SessionRows::shown(list);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].id, "b");
    EXPECT_EQ(shown[1].id, "c");

    shown = SessionRows::shown({session("x", CC::Done{0}, 5), session("y", CC::Done{0}, 5), session("z", CC::Done{0}, 5)});
    EXPECT_EQ(shown[0].id, "x");
    EXPECT_EQ(shown[1].id, "y");
}

TEST(SessionRowsTest, StateTexts)
{
    const double now = 5000;
    EXPECT_EQ(SessionRows::stateText(session("a", CC::Working{now - 59.5}, now), now).toStdString(), "0:59");
    EXPECT_EQ(SessionRows::stateText(session("a", CC::Working{now + 30}, now), now).toStdString(), "0:00");
    EXPECT_EQ(SessionRows::stateText(session("a", CC::Waiting{"Needs\npermission\tnow\x07"}, now), now).toStdString(),
              "Needs permission now");
    EXPECT_EQ(SessionRows::stateText(session("a", CC::Done{now}, now), now).toStdString(), "Done");
}

TEST(SessionRowsTest, RowsAndTheEmptyForm)
{
    kit::Tree tree(QSizeF(300, 60));
    tree.setRoot(kit::view(SessionRows{{}, 0}));
    EXPECT_TRUE(tree.dump().contains("\"No sessions running\"")) << tree.dump().toStdString();

    tree.setRoot(kit::view(SessionRows{{session("a", CC::Working{100}, 100, "web\nsite"), session("b", CC::Waiting{"Allow?"}, 50, "cli")}, 161}));
    const QString dump = tree.dump();
    EXPECT_TRUE(dump.contains("\"web site\"")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("\"1:01\""));
    EXPECT_TRUE(dump.contains("\"Allow?\""));
    EXPECT_LT(dump.indexOf("\"web site\""), dump.indexOf("\"cli\"")) << "newest first";
}

class ClaudeCodePageTest : public test::ClaudeCodeTest {
protected:
    ClaudeCodePageTest()
    {
        installStandardViews();
        ext = enable();
    }
    QString shown()
    {
        time.flush();
        return tree.dump();
    }
    std::shared_ptr<CC> ext;
    kit::Tree tree{QSizeF(400, 200)};
};

TEST_F(ClaudeCodePageTest, NotConnectedShowsOnlyTheHint)
{
    ext->fiveHour.set(CC::Limit{50, std::nullopt});
    ext->sessions.set({session("a", CC::Done{time.wallNow()}, time.wallNow())});
    tree.setRoot(ext->page());
    const QString dump = shown();
    EXPECT_TRUE(dump.contains("\"Claude Code\"")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("Connect Claude Code in Vesk"));
    EXPECT_FALSE(dump.contains("5-hour"));
    EXPECT_FALSE(dump.contains("Done"));

    ext->isConnected.set(true);
    const QString after = shown();
    EXPECT_FALSE(after.contains("Connect Claude Code in Vesk")) << "switches at once";
    EXPECT_TRUE(after.contains("\"5-hour\""));
    EXPECT_TRUE(after.contains("\"Done\""));
}

TEST_F(ClaudeCodePageTest, ConnectedBeforeAnyStatusAndWithOnlyTheWeeklyLimit)
{
    ext->isConnected.set(true);
    tree.setRoot(ext->page());
    QString dump = shown();
    EXPECT_TRUE(dump.contains("Limits appear once Claude Code runs with a Pro or Max plan.")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("\"No sessions running\""));
    EXPECT_FALSE(dump.contains("ago")) << "no age label";
    EXPECT_FALSE(dump.contains("\"now\""));

    ext->weekly.set(CC::Limit{30, std::nullopt});
    ext->limitsUpdated.set(CC::FileTime{int64_t(time.wallNow()), 0});
    dump = shown();
    EXPECT_TRUE(dump.contains("\"5-hour\""));
    EXPECT_TRUE(dump.contains("\"\u2013\"")) << "the five-hour row in its empty form";
    EXPECT_TRUE(dump.contains("\"Weekly\""));
    EXPECT_TRUE(dump.contains("\"now\""));
}

TEST_F(ClaudeCodePageTest, TheAgeAndTheClocksAdvanceWhileShown)
{
    ext->isConnected.set(true);
    ext->limitsUpdated.set(CC::FileTime{int64_t(time.wallNow()), 0});
    ext->fiveHour.set(CC::Limit{10, time.wallNow() + 120});
    ext->sessions.set({session("a", CC::Working{time.wallNow()}, time.wallNow())});
    tree.setShown(true);
    tree.setRoot(ext->page());
    EXPECT_TRUE(shown().contains("\"0:00\""));
    time.advance(65);
    const QString dump = shown();
    EXPECT_TRUE(dump.contains("\"1:05\"")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("resets in 0m"));
    EXPECT_TRUE(dump.contains("\"1 minute ago\""));
}

TEST_F(ClaudeCodePageTest, OffScreenItsTimelinesScheduleNothing)
{
    ext->isConnected.set(true);
    ext->limitsUpdated.set(CC::FileTime{int64_t(time.wallNow()), 0});
    time.flush();
    const size_t before = time.queue().pendingCount();
    tree.setRoot(ext->page());
    time.flush();
    EXPECT_EQ(time.queue().pendingCount(), before + 2) << "the 30-second and the 1-second timeline";
    tree.setRoot(kit::Empty());
    time.flush();
    EXPECT_EQ(time.queue().pendingCount(), before);
    time.advance(120);
    EXPECT_EQ(time.queue().pendingCount(), before);
}

class ClaudeCodeSettingsTest : public ClaudeCodePageTest {
protected:
    std::unique_ptr<QWidget> made = ext->makeSettingsView();
    ClaudeCodeSettings *view = dynamic_cast<ClaudeCodeSettings *>(made.get());
    void writeSettings(const std::string &text)
    {
        std::filesystem::create_directories(home.path().toStdString() + "/.claude");
        writeFile(settings(), text);
    }
    std::vector<std::string> shownTexts() const
    {
        std::vector<std::string> out{view->status()->text().toStdString(), view->explanation()->text().toStdString(),
                                     view->button()->text().toStdString()};
        if (!view->errorLine()->isHidden())
            out.push_back(view->errorLine()->text().toStdString());
        return out;
    }
};

TEST_F(ClaudeCodeSettingsTest, AFailedConnectShowsWhyThenASuccessClearsIt)
{
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"Not connected",
                                                      "Adds a small hook and a status-line wrapper to ~/.claude/settings.json "
                                                      "(a backup is kept). Your own status line keeps working.",
                                                      "Connect to Claude Code"}));
    writeSettings("{ not json");
    view->button()->click();
    EXPECT_FALSE(ext->isConnected.peek());
    EXPECT_EQ(shownTexts().front(), "Not connected");
    EXPECT_EQ(shownTexts().back(), "Claude Code's settings.json couldn't be read, so nothing was changed.");
    const int withError = view->heightForWidth(480);

    writeSettings("{}");
    view->button()->click();
    EXPECT_TRUE(ext->isConnected.peek());
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"Connected",
                                                      "Claude Code reports its sessions and limits to Vesk. Your status line "
                                                      "keeps working as before.",
                                                      "Disconnect"}));
    EXPECT_LT(view->heightForWidth(480), withError) << "the error line gave its room back";
    EXPECT_GT(view->heightForWidth(200), view->heightForWidth(480)) << "the explanation wraps to a narrower width";

    view->button()->click();
    EXPECT_FALSE(ext->isConnected.peek());
    EXPECT_EQ(shownTexts().front(), "Not connected");
    EXPECT_EQ(shownTexts().back(), "Connect to Claude Code");
}

TEST_F(ClaudeCodeSettingsTest, AFileErrorShowsThePathAndTheSystemsReasonInRed)
{
    const std::string local = home.path().toStdString() + "/.local";
    writeFile(local, "a file where a folder belongs");
    view->button()->click();
    EXPECT_FALSE(ext->isConnected.peek());
    EXPECT_EQ(shownTexts().front(), "Not connected");
    EXPECT_EQ(shownTexts().back(), local + "/share/vesk/ClaudeCode: Not a directory");
    EXPECT_EQ(view->errorLine()->palette().color(QPalette::WindowText), kit::palette::red.toQColor());

    std::filesystem::remove(local);
    view->button()->click();
    EXPECT_TRUE(ext->isConnected.peek());
    EXPECT_EQ(shownTexts().size(), 3u) << "the error line is gone";
}

TEST_F(ClaudeCodeSettingsTest, AFailedDisconnectKeepsTheStateWithTheError)
{
    writeSettings("{}");
    view->button()->click();
    ASSERT_TRUE(ext->isConnected.peek());
    writeSettings("[1, 2");
    view->button()->click();
    EXPECT_TRUE(ext->isConnected.peek());
    EXPECT_EQ(shownTexts().front(), "Connected");
    EXPECT_EQ(shownTexts()[2], "Disconnect");
    EXPECT_EQ(shownTexts().size(), 4u) << "the red line below";
    // A change made elsewhere (the start-up check) is followed too, and the error stays until a press succeeds.
    ext->isConnected.set(false);
    EXPECT_EQ(shownTexts().front(), "Not connected");
}

}  // namespace
